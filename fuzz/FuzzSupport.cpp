#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"

namespace tailpack::fuzz {

namespace {

class TSilentMessageBoxes final : public IMessageBoxes {
 public:
  TMessageResult Show(const std::u16string&, const std::u16string&, TMessageButtons buttons,
                      TMessageIcon, TMessageOwner) override {
    // The answers of the headless backend without its queue: nothing loops.
    return buttons == TMessageButtons::RetryCancel ? TMessageResult::Cancel
           : buttons == TMessageButtons::YesNo || buttons == TMessageButtons::YesNoCancel ? TMessageResult::Yes
                                                                                         : TMessageResult::Ok;
  }
};

}  // namespace

void Prepare() {
  static TSilentMessageBoxes boxes;
  SetMessageBoxes(boxes);
}

std::string TempFolder() {
  // Made here rather than by a static object: the folder must go at exit
  // before the drive map it is reached through, so its removal is
  // registered only after the drive map exists.
  static std::string folder;
  static const bool made = [] {
    auto created = Files().CreatePrivateFolder(Files().TempFolder());
    Check(created.has_value(), "the private temporary folder cannot be created");
    folder = IncludeTrailingBackslash(*created);
    std::atexit([] { DeleteTree(folder); });
    return true;
  }();
  (void)made;
  return folder;
}

std::string WriteTempFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = TempFolder() + name;
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  Check(file && (size == 0 || file->Write(data, static_cast<uint32_t>(size)) == size),
        "the input cannot be written to the private temporary folder");
  return path;
}

void Check(bool promise, const char* what) {
  if (promise) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

}  // namespace tailpack::fuzz
