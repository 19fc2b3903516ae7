#pragma once
// Conversions at the boundary to the wide Win32 API: the core's ANSI strings
// (the system's active code page) to the UTF-16 wchar_t strings the W
// functions take, and back. Only the win32 platform sources include this.

#include <string>
#include <string_view>

namespace tailpack::win32 {

std::wstring ToWide(std::string_view ansi);
// Characters without an ANSI form become "?".
std::string FromWide(std::wstring_view wide);

}  // namespace tailpack::win32
