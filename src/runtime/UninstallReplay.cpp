#include "runtime/UninstallReplay.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "platform/Platform.h"
#include "runtime/SetupRuntime.h"
#include "runtime/Uninstaller.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/RegistryRoots.h"
#include "system/PathSafety.h"
#include "uninstall/UninstallList.h"

namespace tailpack {

namespace {

// Deletes the value a registry record of the uninstall log names. A record
// without a value name means the key's default value; one without a key names
// nothing (the log never records values of a root itself that way).
void DeleteRecordedValue(TRegistryAccessor& registry, const std::string& line) {
  std::vector<std::string> fields = SplitRegistryLine(line);
  if (fields.size() < 2) return;
  fields.resize(std::max<size_t>(fields.size(), 3));
  registry.SetRootKey(RootKeyHandle(RootKeyFromShortName(fields[0])));
  if (registry.OpenKey(fields[1], false)) {
    registry.DeleteValue(fields[2]);
    registry.CloseKey();
  }
}

// Removes the system's entry for this installation. Without a short name the
// key would be the list of all installed programs: that is left alone.
void RemoveRegistration(TRegistryAccessor& registry, const std::string& shortName) {
  if (shortName.empty()) return;
  const std::string key = UninstallRegistryKey(shortName);
  registry.SetRootKey(RootKeyHandle(kRootCodeLocalMachine));
  if (registry.OpenKey(key, false)) {
    registry.DeleteValue("DisplayName");
    registry.DeleteValue("UninstallString");
    registry.CloseKey();
    registry.DeleteKey(key);
  }
}

// The folders an uninstallation works below: the installation folder and the
// special folders the log's path variables stand for. Nothing is removed
// through a link planted below one of them since the installation.
std::vector<std::string> WorkingFolders(const TSetupRuntime& runtime) {
  std::vector<std::string> folders = {runtime.SetupInfo.Info.InstallDir, runtime.Variables.ProgramFilesDir,
                                      runtime.Variables.StartMenuProgramsDir, runtime.Variables.DesktopDir};
  if (auto appData = Shell().SpecialFolder(TSpecialFolder::AppData)) folders.push_back(*appData);
  return folders;
}

class TReplay {
 public:
  TReplay(TSetupRuntime& runtime, const TUninstallItemShown& shown)
      : runtime_(runtime), shown_(shown), workingFolders_(WorkingFolders(runtime)) {}

  TUninstallReplayResult Run() {
    const TUninstallList& list = runtime_.UninstallList;
    const auto fileCount = static_cast<uint32_t>(list.Files.size());
    const auto folderCount = static_cast<uint32_t>(list.Folders.size());
    const auto registryCount = static_cast<uint32_t>(list.RegistryValues.size());
    for (uint32_t k = 1; k <= fileCount; ++k) {
      Show(u"", k, fileCount, k);
      // Exactly the path that was installed, whatever its name looks like.
      std::string path = runtime_.Variables.ExpandLoggedPath(list.Files[k - 1]);
      if (!BehindLink(path) && Files().FileExists(path)) Files().Delete(path);
    }
    // Folders from the last created to the first, so inner ones go first; a
    // folder that is not empty stays.
    for (uint32_t k = 1; k <= folderCount; ++k) {
      Show(runtime_.GetString(TStringId::FolderPhase), k, folderCount, fileCount + k);
      const std::string& folder = list.Folders[folderCount - k];
      if (!BehindLink(folder) && Files().FolderExists(folder)) Files().RemoveFolder(folder);
    }
    for (uint32_t k = 1; k <= registryCount; ++k) {
      Show(runtime_.GetString(TStringId::RegistryPhase), k, registryCount, fileCount + folderCount + k);
      DeleteRecordedValue(runtime_.Registry, list.RegistryValues[k - 1]);
    }
    if (runtime_.UninstallLogDamaged) return TUninstallReplayResult::LogDamaged;
    const TSetupInfo& info = runtime_.SetupInfo.Info;
    RemoveRegistration(runtime_.Registry, info.ShortName);
    Files().Delete(TUninstallList::LogPath(info.InstallDir, info.UninstallPrefix));
    return TUninstallReplayResult::Complete;
  }

 private:
  // Shows item Number of Count of a phase, unless that is below one per cent.
  void Show(const std::u16string& phase, uint32_t number, uint32_t count, uint32_t gaugePosition) {
    if (!shown_ || static_cast<uint64_t>(number) * 100 / count == 0) return;
    std::u16string text = runtime_.GetString(TStringId::ItemProgress);
    text = TLanguages::ReplaceText(text, u"<%ZRPNAME%>", phase);
    text = TLanguages::ReplaceText(text, u"<%FNUM%>", Wide(std::to_string(number)));
    text = TLanguages::ReplaceText(text, u"<%FTOTAL%>", Wide(std::to_string(count)));
    shown_(text, gaugePosition);
  }

  // A link in an item's own place is removed itself; one above it, below a
  // working folder, would reach files that are not the setup's.
  bool BehindLink(const std::string& path) const {
    return LinkBelow(WorkingFolderOf(path, workingFolders_), path).has_value();
  }

  TSetupRuntime& runtime_;
  const TUninstallItemShown& shown_;
  const std::vector<std::string> workingFolders_;
};

}  // namespace

uint32_t UninstallItemCount(const TUninstallList& list) {
  return static_cast<uint32_t>(list.Files.size() + list.Folders.size() + list.RegistryValues.size());
}

TUninstallReplayResult ReplayUninstall(TSetupRuntime& runtime, const TUninstallItemShown& shown) {
  return TReplay(runtime, shown).Run();
}

}  // namespace tailpack
