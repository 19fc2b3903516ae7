#pragma once
// Conversions at the boundary to the wide Win32 API: the core's ANSI strings
// (the system's active code page) to the UTF-16 wchar_t strings the W
// functions take, and back. Only the win32 platform sources include this.

#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace tailpack::win32 {

std::wstring ToWide(std::string_view ansi);
// Characters without an ANSI form become "?".
std::string FromWide(std::wstring_view wide);

// The case rules of one code page: its single-byte characters through the
// system's case mapping (CharLowerBuffW, CharUpperBuffW) and back, its lead
// bytes from the code page itself. AnsiCaseRules is this for the active code
// page.
TAnsiCaseRules CaseRulesOfCodePage(unsigned codePage);

}  // namespace tailpack::win32
