#pragma once
// Compile-step pieces several commands share.

#include <string>

#include "script/Compiler.h"

namespace tailpack {

// The compiler's line of a row (the row is checked by HasMinParams first).
inline TCompLine& LineOf(TCompiler& compiler, int32_t row) { return compiler.Lines.Lines[static_cast<size_t>(row)]; }

// Opens the next data group for a line: appends its number as the line's last
// parameter and adds what parameter 0 names to it.
void CompileDataGroup(TCompiler& compiler, int32_t row, const std::string& groupName);

// Enciphers parameter Index under the archive-update key.
void EncipherParameter(TCompLine& line, size_t index);

}  // namespace tailpack
