#pragma once
// Compile-step pieces several commands share.

#include <initializer_list>
#include <string>

#include "script/Compiler.h"

namespace tailpack {

// The compiler's line of a row (the row is checked by HasMinParams first).
inline TCompLine& LineOf(TCompiler& compiler, int32_t row) { return compiler.Lines.Lines[static_cast<size_t>(row)]; }

// Opens the next data group for a line: appends its number as the line's last
// parameter and adds what parameter 0 names to it. Group numbers are 16-bit
// in the archive: past the last one the compiler's error is set and nothing
// is added.
void CompileDataGroup(TCompiler& compiler, int32_t row, const std::string& groupName);

// Resolves each of the line's label parameters (ResolveLabel, "0" meaning no
// jump), going on after a label that is not found so every missing label of
// the line is reported. True when all were found.
bool ResolveLabels(TCompiler& compiler, int32_t row, std::initializer_list<size_t> indices);

// Enciphers parameter Index under the archive-update key.
void EncipherParameter(TCompLine& line, size_t index);

}  // namespace tailpack
