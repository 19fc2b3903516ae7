#pragma once
// What the commands' run steps work on: the shared objects of a run (the
// archive, the setup information, the compiled script and its commands, the
// uninstall list, the languages, the path variables, the registry accessor,
// the progress channel, the VFS archive a line left open) and the script's
// flow flags. The setup program's run state (runtime/SetupRuntime.h) adds the
// start-up facts to it. One object lives for the whole run.

#include <atomic>
#include <cstdint>
#include <string>

#include "archive/Pak.h"
#include "gamedata/VfsUpdate.h"
#include "i18n/Languages.h"
#include "script/CommandList.h"
#include "script/CompLines.h"
#include "setupinfo/PathVariables.h"
#include "setupinfo/SetupInfo.h"
#include "uninstall/UninstallList.h"

namespace tailpack {

class TProgressChannel;
class TRegistryAccessor;

class TRunState {
 public:
  // Binds the path variables, the uninstall list and the archive's progress
  // reports to this run.
  TRunState();
  TRunState(const TRunState&) = delete;
  TRunState& operator=(const TRunState&) = delete;

  // --- Shared objects --------------------------------------------------------
  TPak Pak;
  TSetupInfoFile SetupInfo;
  TCompLines Script;
  TCommandList Commands;
  TUninstallList UninstallList;
  TLanguages Languages;
  // $INSTDIR and the other variables; InstallDir is bound to SetupInfo.
  TPathVariables Variables;
  TRegistryAccessor& Registry;
  TProgressChannel& Progress;
  // The VFS archive a "vfsupdate" line left open for the next one.
  TVfsUpdateState VfsUpdate;

  // --- The script's flow -----------------------------------------------------
  // The row being executed; the patching page sets it to -1 before a walk.
  std::atomic<int32_t> CurrentRow{-1};
  // Set by "failure" and a missing VFS archive; never cleared.
  std::atomic<bool> ScriptAborted{false};
  // Set when a command could not install something it had to (for example a
  // group that failed to extract); the run then ends with a failure exit code.
  std::atomic<bool> InstallFailed{false};
  // Set when the application is closing: "execute" stops waiting for its
  // program and the walk ends after the current line.
  std::atomic<bool> Terminating{false};

  // The current language's string N.
  std::u16string GetString(TStringId id) const { return Languages.GetString(id); }
};

}  // namespace tailpack
