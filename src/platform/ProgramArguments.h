#pragma once
// The command line as the core reads it.

#include <string>
#include <vector>

namespace tailpack {

// The program's arguments, without its own name, as ANSI texts: on Windows as
// the system hands them to a program, on POSIX converted from the host's
// UTF-8 (characters without an ANSI form become "?").
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace tailpack
