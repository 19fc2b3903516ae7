#include "wizard/DebugDump.h"

#include "archive/Pak.h"
#include "setupinfo/RegistryRoots.h"
#include "setupinfo/SetupInfo.h"

namespace tailpack {

std::vector<std::string> DebugDumpLines(const TPak& pak, const TSetupInfo& info) {
  const TPakHeader& header = pak.Header();
  std::vector<std::string> lines = {
      "Header",
      "ID: " + header.IdText(),
      "Version: " + std::to_string(header.Version),
      "File Count: " + std::to_string(header.FileCount),
      "",
      "Files:",
  };
  for (const TPakFile& entry : pak.Files())
    lines.push_back("\"" + entry.Name + "\" Group: " + std::to_string(entry.Group));
  lines.insert(lines.end(), {
                                "",
                                "SetupInfo:",
                                "SetupName: " + info.SetupName,
                                "SetupExeName: " + info.SetupExeName,
                                "InstallDir: " + info.InstallDir,
                            });
  for (const TREGKEY& lookup : info.InstallDirRegKeys) {
    lines.push_back("InstallDirRegKey.HKEY: " + RootKeyLongName(lookup.Root));
    lines.push_back("InstallDirRegKey.Path: " + lookup.Path);
    lines.push_back("InstallDirRegKey.Key: " + lookup.Key);
  }
  lines.push_back("Changelog: " + info.Changelog);
  return lines;
}

}  // namespace tailpack
