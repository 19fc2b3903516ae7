#pragma once
// File names for the wide Win32 file functions. Without the "\\?\" prefix
// those functions refuse a name longer than MAX_PATH (a folder name longer
// than 248 characters) unless the system has long names switched on for the
// program; a game's data easily nests that deep under "Program Files". Long
// names therefore go to the system in their prefixed form; shorter ones stay
// as they are, so the system's usual name handling applies to them unchanged.

#include <optional>
#include <string>
#include <string_view>

namespace tailpack::win32 {

// The longest name that every wide file function takes without the prefix
// (CreateDirectoryW leaves room for an 8.3 name: MAX_PATH - 12).
inline constexpr size_t kShortPathLimit = 247;

// The full form of Path (GetFullPathNameW, which takes names of any length in
// its wide form); nothing when it cannot be made full.
std::optional<std::wstring> FullPathName(const std::wstring& path);

// Path in the core's ANSI form as the name to hand the wide file functions.
std::wstring ToWidePath(std::string_view path);

// The prefixed form of a wide path longer than kShortPathLimit: made full
// first (the prefix turns the system's own clean-up off, so "/", "." and ".."
// are resolved here), then "\\?\" before a drive path and "\\?\UNC\" in place
// of the "\\" of a network path. Shorter paths, paths that already carry a
// prefix and paths that cannot be made full are returned unchanged.
std::wstring LongPathForm(const std::wstring& path);

}  // namespace tailpack::win32
