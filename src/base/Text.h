#pragma once
// Text helpers that need no code page: trimming, ASCII comparison, UTF-8 and
// UTF-16, and text made safe for a terminal. 8-bit strings are in the ANSI
// code page; comparing or folding them by letter case needs that code page's
// rules and lives in platform/TextCase.h. Wide texts are UTF-16.

#include <cstdint>
#include <string>
#include <string_view>

namespace tailpack {

// Only A to Z folded; everything else compared byte for byte.
bool SameTextAscii(std::string_view a, std::string_view b);

// Blanks and control characters (everything at or below " ") removed at both ends.
std::string Trim(std::string_view text);
std::u16string Trim(std::u16string_view text);
std::string TrimLeft(std::string_view text);

// ASCII-only text as UTF-16, for program texts in source code.
std::u16string Wide(std::string_view ascii);

// UTF-8 <-> UTF-16, for the host's terminal and file names (never for ANSI).
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-8 text made safe to print on a terminal: control characters (C0, DEL,
// C1), the line and paragraph separators and the bidirectional overrides
// become "\x1b" or "\u202e", and bytes that are not UTF-8 "\xff"; the rest
// stays. Names from archives, scripts and logs must never erase lines, move
// the cursor or set a window title. Applying it twice changes nothing more.
std::string EscapeForTerminal(std::string_view utf8);

}  // namespace tailpack
