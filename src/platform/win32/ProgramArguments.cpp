#include "platform/ProgramArguments.h"

namespace tailpack {

// The runtime's narrow arguments are already in the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

}  // namespace tailpack
