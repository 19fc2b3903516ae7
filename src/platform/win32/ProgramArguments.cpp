#include "platform/ProgramArguments.h"

#include <windows.h>

namespace tailpack {

// The runtime's narrow arguments are already in the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

std::optional<std::u16string> ProgramCommandLine() {
  const wchar_t* line = GetCommandLineW();
  if (!line) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(line));
}

}  // namespace tailpack
