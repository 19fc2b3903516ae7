#pragma once
// What keeps file operations inside what a setup owns: Windows paths in the
// form the file system resolves them to, the folders a whole-tree removal
// must never touch, and the links (symbolic links, junctions) that an
// operation below a folder must not pass through.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace tailpack {

// The path as the file system resolves it: "/" read as "\", doubled
// separators collapsed, "." dropped, ".." taking away the component before
// it (never the root), and trailing dots and blanks of every component
// dropped, as Windows drops them. The root stays: "X:\" for a drive path,
// "\\server\share" for a network path, "\" for a rooted path; a relative path
// stays relative. No backslash follows the last component.
std::string NormalizeWindowsPath(std::string_view path);

// Whether Path is Folder itself or lies below it, at a component boundary
// and without regard to letter case, both normalised first.
bool IsSameOrBelow(std::string_view folder, std::string_view path);

// Of the Folders, the innermost one that holds Path (strictly below it);
// otherwise Path's own folder. The operations of a setup work below such a
// folder: the installation folder or a special folder.
std::string WorkingFolderOf(const std::string& path, const std::vector<std::string>& folders);

// The first existing folder strictly between Base and the last component of
// Path that is a link (a symbolic link or a junction: a reparse point), which
// an operation in Base must not pass through; nothing when there is none or
// Path does not lie below Base. Base itself may be a link: the user chose it.
std::optional<std::string> LinkBelow(const std::string& base, const std::string& path);

// Whether a folder may be removed with everything below it: only an absolute
// drive path that, once normalised, is neither a drive root nor one of the
// system's protected folders (Windows, program files, the profile, desktop,
// start menu, application data, ...) nor a folder that holds one. The failure
// says why.
TStatus CheckTreeRemovable(const std::string& folder);

}  // namespace tailpack
