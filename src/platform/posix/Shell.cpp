// Placeholder until the POSIX shell lands.
#include "platform/Platform.h"

namespace tailpack {

namespace {

class TPosixShell final : public IShell {
 public:
  std::optional<std::string> SpecialFolder(TSpecialFolder) override { return std::nullopt; }
  bool CreateLink(const TShellLink&) override { return false; }
  bool ReplaceIconImage(const std::string&, const TBytes&) override { return false; }
  TStartedProgram Execute(const std::string&, const std::string&) override { return {}; }
  bool OpenDocument(const std::string&) override { return false; }
};

}  // namespace

IShell& NativeShell() {
  static TPosixShell shell;
  return shell;
}

}  // namespace tailpack
