#pragma once
// Letter case of 8-bit text: comparing and folding ANSI strings, and finding
// and replacing without regard to case. Case follows the system's ANSI code
// page as the platform gives it (AnsiCaseRules in platform/TextCodec.h: the
// system's on Windows, Windows-1252 elsewhere), which agrees with ASCII for
// the letters A to Z.

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

}  // namespace tailpack
