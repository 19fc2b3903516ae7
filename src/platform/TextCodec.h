#pragma once
// Conversion between the system's ANSI code page (the core's 8-bit strings)
// and UTF-16 (texts shown to people). Windows uses the active code page;
// elsewhere the ANSI code page is Windows-1252, as on an English Windows.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tailpack {

// The letter case of the system's ANSI code page, byte by byte: on Windows
// the active code page's own characters with the system's case mapping,
// elsewhere Windows-1252. A byte whose other case has no single-byte form
// maps to itself. A lead byte begins a double-byte character (code pages
// 932, 936, 949 and 950): the pair is one character and is never folded.
struct TAnsiCaseRules {
  std::array<uint8_t, 256> Lower{};
  std::array<uint8_t, 256> Upper{};
  std::array<bool, 256> LeadByte{};
};

// The rules of this system, made once.
const TAnsiCaseRules& AnsiCaseRules();

std::u16string AnsiToWide(std::string_view text);
// Characters without an ANSI form become "?".
std::string WideToAnsi(std::u16string_view text);

}  // namespace tailpack
