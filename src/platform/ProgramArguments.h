#pragma once
// The command line as the core reads it.

#include <optional>
#include <string>
#include <vector>

namespace tailpack {

// The program's arguments, without its own name, as ANSI texts: on Windows as
// the C runtime splits them, on POSIX converted from the host's UTF-8
// (characters without an ANSI form become "?").
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The whole command line as the system hands it to the program, its own name
// first, where the platform has one (Windows); nothing on POSIX, where the
// arguments arrive already split.
std::optional<std::u16string> ProgramCommandLine();

}  // namespace tailpack
