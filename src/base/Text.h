#pragma once
// Text helpers of the core. 8-bit strings are in the ANSI code page; letter
// case follows that code page's rules as the platform gives them
// (AnsiCaseRules in platform/TextCodec.h: the system's on Windows,
// Windows-1252 elsewhere), which agree with ASCII for the letters A to Z.
// Wide texts are UTF-16.

#include <cstdint>
#include <string>
#include <string_view>

namespace tailpack {

struct TAnsiCaseRules;

// Letter case of one ANSI character and of whole texts (named so as not to
// meet the AnsiLower and AnsiUpper macros of the Windows headers).
char LowerAnsiChar(char c);
char UpperAnsiChar(char c);
std::string LowerAnsi(std::string_view text);
std::string UpperAnsi(std::string_view text);
bool SameTextAnsi(std::string_view a, std::string_view b);
// The same by given rules; a double-byte character is never folded and
// matches only itself.
std::string LowerAnsi(std::string_view text, const TAnsiCaseRules& rules);
std::string UpperAnsi(std::string_view text, const TAnsiCaseRules& rules);
bool SameTextAnsi(std::string_view a, std::string_view b, const TAnsiCaseRules& rules);
// Only A to Z folded; everything else compared byte for byte.
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Case-insensitive replace-all that always terminates: every occurrence of
// Pattern is replaced, and the search continues after the inserted text, so a
// replacement that contains the pattern is not replaced again. An empty
// pattern changes nothing.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern, std::string_view replacement);
std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view pattern,
                                std::u16string_view replacement);
// The first occurrence of Pattern (any letter case) at or after From; npos
// when there is none. An empty pattern is never found.
size_t FindNoCase(std::u16string_view text, std::u16string_view pattern, size_t from = 0);
// Exact (case-sensitive) replace-all with the same termination rule.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement);

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
