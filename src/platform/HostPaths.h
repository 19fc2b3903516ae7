#pragma once
// Paths given by people on the host's command line versus the Windows paths of
// the core. On Windows both are the same; on POSIX the drive map translates.

#include <optional>
#include <string>

namespace tailpack {

// The Windows path for a path of the host (relative paths are taken from the
// current folder); nothing when no drive covers it.
std::optional<std::string> WindowsPathFromHost(const std::string& hostPath);
// The host path for a Windows path; nothing when its drive is not mapped.
std::optional<std::string> HostPathFromWindows(const std::string& windowsPath);

}  // namespace tailpack
