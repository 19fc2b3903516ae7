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
  std::string HostRoot;  // absolute, no trailing "/" (except for "/" itself)
  TDriveType Type = TDriveType::Fixed;
  // The default C: folder is only created when a path on it is used, so that
  // merely listing the drives leaves the user's data directory alone.
  bool CreateOnUse = false;
};

// The folder that holds this system's per-user data on the host (the default
// C: folder and the default registry file live in it).
std::string UserDataFolder();

// The drives in letter order, from the current environment.
std::vector<TDrive> CurrentDrives();
std::optional<TDrive> FindDrive(char letter);
// Creates a drive's host folder when the drive is created on use; true when
// the folder exists afterwards.
bool EnsureDriveRoot(const TDrive& drive);

// A Windows path as a host path. Each component is matched case-insensitively
// against what exists, as Windows would; components that do not exist yet keep
// their spelling. "." and ".." are resolved lexically and trailing dots and
// blanks of a component are dropped, as Windows does. Nothing for paths that
// cannot be mapped (unmapped drives, network and device paths, names with
// characters Windows forbids).
std::optional<std::string> ToHostPath(const std::string& windowsPath);

// The host's name of one path component for an ANSI component, and back.
std::string AnsiToHostName(const std::string& ansi);
std::string HostNameToAnsi(const std::string& hostName);

// Creates a host folder and its missing parents (mode 0755).
void MakeHostFolders(const std::string& hostPath);

}  // namespace tailpack::posix
