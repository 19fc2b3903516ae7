#pragma once
// Links planted the way an attacker (or a user) would: a symbolic link at a
// Windows path, to a folder or a file. Made with the host's own means on
// POSIX and with CreateSymbolicLinkW on Windows; Wine cannot make links that
// report themselves as reparse points, so tests skip there.

#include <string>

namespace tailpack::test {

// Makes a symbolic link at Link to Target (both Windows paths). False when
// the system cannot make a link that reports itself as a reparse point.
bool MakeLink(const std::string& link, const std::string& target, bool folder);

}  // namespace tailpack::test
