#pragma once
// The pak string: a 16-bit little-endian byte count, then that many ANSI
// bytes, no terminator. Longer texts keep only the low 16 bits of their length.

#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace tailpack {

void AppendPakString(TBytes& out, std::string_view text);

}  // namespace tailpack
