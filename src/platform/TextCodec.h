#pragma once
// Conversion between the system's ANSI code page (the core's 8-bit strings)
// and UTF-16 (texts shown to people). Windows uses the active code page;
// elsewhere the ANSI code page is Windows-1252, as on an English Windows.

#include <string>
#include <string_view>

namespace tailpack {

std::u16string AnsiToWide(std::string_view text);
// Characters without an ANSI form become "?".
std::string WideToAnsi(std::u16string_view text);

}  // namespace tailpack
