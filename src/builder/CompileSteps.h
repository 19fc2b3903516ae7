#pragma once
// The compile step of a script line: what the builder does to a line of a
// command before the line goes into the compiled script. The command's facts
// (script/CommandClass.h) decide it: labels become row numbers, a line that
// owns a data group gets its group number appended and its files added to
// the group, a password is checked and enciphered, a language file is added
// to the archive, a meta command fills the setup information.

#include <cstdint>
#include <string>

#include "builder/Compiler.h"

namespace tailpack {

class TCommandClass;

// Runs the compile step of Command for the compiler's line at Row. False when
// the line has fewer than the command's MinParams parameters (nothing else is
// done then); problems beyond the count go to the compiler's Error.
bool CompileCommand(TCompiler& compiler, const TCommandClass& command, int32_t row);

// The source file of a "language" or "uninstalllanguage" line naming Name:
// "languages\<name>.wri" in the compiler's program folder.
std::string LanguageSourceFile(const TCompiler& compiler, const std::string& name);

}  // namespace tailpack
