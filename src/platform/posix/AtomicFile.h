#pragma once
// Whole-file replacement that readers can never observe half done.

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tailpack::posix {

// Replaces the host file at HostPath with Content: writes a temporary file in
// the same folder, flushes it to the disk, renames it over the old file and
// flushes the folder. A symbolic link at HostPath is followed, so the file it
// points to is replaced. A new file gets Mode, an existing one keeps its mode.
// Returns false, leaving the old file untouched and no temporary file behind,
// when any step fails.
bool ReplaceFileAtomically(const std::string& hostPath, std::string_view content, mode_t mode);

}  // namespace tailpack::posix
