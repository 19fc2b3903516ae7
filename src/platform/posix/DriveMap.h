#pragma once
// The drive map of the POSIX platform: which host folder each drive letter
// stands for, and of which type the drive is. Read from TAILPACK_DRIVES, for
// example "C=/srv/setup/c;D=/srv/setup/cd:cdrom" (types: fixed, removable,
// cdrom, remote, ram). Without it C: is a folder under the user's data
// directory. Z: is "/" unless the variable names Z.

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tailpack::posix {

struct TDrive {
  char Letter = 'C';  // upper case
  std::string HostRoot;  // no trailing "/" (except for "/" itself)
  TDriveType Type = TDriveType::Fixed;
};

// The drives in letter order, from the current environment.
std::vector<TDrive> CurrentDrives();
std::optional<TDrive> FindDrive(char letter);

// A Windows path as a host path. Each component is matched case-insensitively
// against what exists, as Windows would; components that do not exist yet keep
// their spelling. Nothing for paths that cannot be mapped (unmapped drives,
// network paths).
std::optional<std::string> ToHostPath(const std::string& windowsPath);

// The host's name of one path component for an ANSI component, and back.
std::string AnsiToHostName(const std::string& ansi);
std::string HostNameToAnsi(const std::string& hostName);

}  // namespace tailpack::posix
