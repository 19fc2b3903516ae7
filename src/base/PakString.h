#pragma once
// The pak string: a 16-bit little-endian byte count, then that many ANSI
// bytes, no terminator. Longer texts keep only the low 16 bits of their length.

#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace tailpack {

class IFile;

void AppendPakString(TBytes& out, std::string_view text);
// Writes the string to the file; returns true when any write came up short.
bool WritePakString(IFile& file, std::string_view text);
// Reads a pak string from the file; a short file yields what was there.
std::string ReadPakString(IFile& file);

}  // namespace tailpack
