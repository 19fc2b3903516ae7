#include "platform/ProgramArguments.h"

#include "base/Text.h"
#include "platform/TextCodec.h"

namespace tailpack {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(WideToAnsi(Utf8ToUtf16(argv[i])));
  return arguments;
}

}  // namespace tailpack

namespace tailpack {

std::optional<std::u16string> ProgramCommandLine() { return std::nullopt; }

}  // namespace tailpack
