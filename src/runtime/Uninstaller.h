#pragma once
// The uninstaller an installation leaves behind: a copy of the setup program
// with a new archive appended (the "UNINSTALL_" material of the running
// archive without that prefix, then the setup information marked as
// uninstaller), registered among the system's installed programs.

#include <cstdint>
#include <optional>
#include <string>

#include "base/Status.h"

namespace tailpack {

class TSetupRuntime;
struct TSetupInfo;

// The key below HKLM that lists an installation among the installed programs.
std::string UninstallRegistryKey(const std::string& shortName);
// The uninstaller's file: the installation folder and UninstallExeName
// ("Uninstall.exe" when the setup names none).
std::string UninstallerPath(const TSetupInfo& info);
// The name an entry of the running archive takes in the uninstaller: the rest
// after "UNINSTALL_" (any case), or nothing when the entry is not copied
// (other names, the icon, empty rests).
std::optional<std::string> UninstallerEntryName(const std::string& name);

// How many leading bytes of Executable are the program itself: up to its own
// appended archive, or all of it when it carries none or one whose layout is
// damaged. Nothing when it cannot be opened.
std::optional<uint64_t> ProgramLength(const std::string& executable);

// Writes the uninstaller from the program HostExecutable, replacing an
// earlier one, and then registers the installation under UninstallRegistryKey
// (its "UninstallString" is the uninstaller's path in double quotes). An
// uninstaller that cannot be written completely (the host cannot be read, the
// disk is full) is removed and the failure returned, and nothing is
// registered. A registration that cannot be stored is returned as the
// failure. An archive without entries gives neither file nor registration.
TStatus CreateUninstaller(TSetupRuntime& runtime, const std::string& hostExecutable);
// The same with the running program as host.
TStatus CreateUninstaller(TSetupRuntime& runtime);

}  // namespace tailpack
