#pragma once
// The state one run of the setup program shares: the archive, the setup
// information, the compiled script and its commands, the uninstall list, the
// languages and text tags, the path variables, the start-up facts and the
// script's flow flags. Start-up fills it, the wizard and the worker thread
// read and change it. One object lives for the whole run.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/Pak.h"
#include "gamedata/VfsUpdate.h"
#include "i18n/Languages.h"
#include "script/CommandList.h"
#include "script/CompLines.h"
#include "setup/PathVariables.h"
#include "setup/SetupInfo.h"
#include "uninstall/UninstallList.h"

namespace tailpack {

class TProgressChannel;
class TRegistryAccessor;

class TSetupRuntime {
 public:
  // Binds the text tags and the path variables to this run's values.
  TSetupRuntime();
  TSetupRuntime(const TSetupRuntime&) = delete;
  TSetupRuntime& operator=(const TSetupRuntime&) = delete;

  // --- Shared objects --------------------------------------------------------
  TPak Pak;
  TSetupInfoFile SetupInfo;
  TCompLines Script;
  TCommandList Commands;
  TUninstallList UninstallList;
  TLanguages Languages;
  // "<%SETUPTITLE%>", "<%SETUPSHORTTITLE%>", "<%CHANGELOG%>", "<%SPACEREQ%>",
  // "<%SPACEAVA%>", bound to the fields below and in SetupInfo.
  TLanguageStrings TextTags;
  // $INSTDIR and the other variables; InstallDir is bound to SetupInfo.
  TPathVariables Variables;
  TRegistryAccessor& Registry;
  TProgressChannel& Progress;
  // The VFS archive a "vfsupdate" line left open for the next one.
  TVfsUpdateState VfsUpdate;

  // --- Start-up facts (command line and loading) ------------------------------
  std::vector<std::string> Arguments;  // without the program itself
  bool Silent = false;
  std::string CmdInstallDir;           // "-id"; empty when absent
  uint16_t SystemLangID = 0x0409;
  // The archive was named on the command line instead of being our own.
  bool ArchiveFromCommandLine = false;
  // One flag per archive group: false for plain files, true for update groups.
  std::vector<bool> GroupRaw;
  uint64_t SpaceRequired = 0;
  std::string SpaceRequiredText;
  uint64_t SpaceAvailable = 0;
  std::string SpaceAvailableText;

  // --- The script's flow -----------------------------------------------------
  // The row being executed; the patching page sets it to -1 before a walk.
  std::atomic<int32_t> CurrentRow{-1};
  // Set by "failure" and a missing VFS archive; never cleared.
  std::atomic<bool> ScriptAborted{false};
  // Set when a command could not install something it had to (for example a
  // group that failed to extract); the run then ends with a failure exit code.
  std::atomic<bool> InstallFailed{false};
  // The uninstall log ends early: the uninstaller removes what it still lists,
  // keeps the log and the registration, and the run fails.
  bool UninstallLogDamaged = false;
  // A text for the user when the run failed (shown by the finish page).
  std::string FailureMessage;
  // Set when the application is closing: "execute" stops waiting for its
  // program and the walk ends after the current line.
  std::atomic<bool> Terminating{false};

  // What a finished run exits with: kExitInstallationAborted after an
  // aborted script, a file that could not be installed or a damaged
  // uninstall log, else kExitCompleted.
  int CompletionExitCode() const;

  bool IsUninstaller() const { return SetupInfo.Info.IsUninstaller == 1; }
  // The current language's string N.
  std::u16string GetString(uint16_t number) const { return Languages.GetString(number); }
  // Translate, "<BR>" to a line break, text tags.
  std::u16string DisplayText(const std::u16string& text) const;
};

}  // namespace tailpack
