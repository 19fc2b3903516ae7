#pragma once
// Parameter texts written for Windows, split into the argument vector a POSIX
// program receives, and arguments written into desktop entries.

#include <string>
#include <string_view>
#include <vector>

namespace tailpack::posix {

// Splits a parameter text the way a Windows program's runtime does: blanks
// and tabs separate arguments outside double quotes; 2n backslashes before a
// quote give n backslashes and the quote opens or closes quoting, 2n+1 give n
// backslashes and a literal quote; other backslashes are literal; "" inside
// quotes is a literal quote; "" alone is an empty argument.
std::vector<std::string> SplitWindowsCommandLine(std::string_view text);

// One argument of a desktop entry's Exec key, before the string escapes:
// quoted when it holds a reserved character, "%" doubled.
std::string QuoteExecArgument(std::string_view argument);
// A desktop entry string value: backslash, line breaks and tabs escaped, and
// a leading blank written as \s.
std::string EscapeDesktopString(std::string_view value);

}  // namespace tailpack::posix
