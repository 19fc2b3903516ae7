#pragma once
// The state one run of the setup program shares: what the commands' run
// steps work on (script/RunState.h), the text tags, the start-up facts and how
// the run ends. Start-up fills it, the wizard and the worker thread read and
// change it. One object lives for the whole run.

#include <cstdint>
#include <string>
#include <vector>

#include "i18n/Languages.h"
#include "script/RunState.h"

namespace tailpack {

class TSetupRuntime final : public TRunState {
 public:
  // Binds the text tags to this run's values.
  TSetupRuntime();

  // "<%SETUPTITLE%>", "<%SETUPSHORTTITLE%>", "<%CHANGELOG%>", "<%SPACEREQ%>",
  // "<%SPACEAVA%>", bound to the fields below and in SetupInfo.
  TLanguageStrings TextTags;

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

  // The uninstall log ends early: the uninstaller removes what it still lists,
  // keeps the log and the registration, and the run fails.
  bool UninstallLogDamaged = false;

  // What a finished run exits with: kExitInstallationAborted after an
  // aborted script, a file that could not be installed or a damaged
  // uninstall log, else kExitCompleted.
  int CompletionExitCode() const;

  bool IsUninstaller() const { return SetupInfo.Info.IsUninstaller == 1; }
  // Translate, "<BR>" to a line break, text tags.
  std::u16string DisplayText(const std::u16string& text) const;
};

}  // namespace tailpack
