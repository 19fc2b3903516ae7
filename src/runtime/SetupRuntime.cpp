#include "runtime/SetupRuntime.h"

#include "base/ExitCodes.h"

namespace tailpack {

TSetupRuntime::TSetupRuntime() {
  TextTags.Add("<%SETUPTITLE%>", &SetupInfo.Info.SetupName);
  TextTags.Add("<%SETUPSHORTTITLE%>", &SetupInfo.Info.ShortName);
  TextTags.Add("<%CHANGELOG%>", &SetupInfo.Info.Changelog);
  TextTags.Add("<%SPACEREQ%>", &SpaceRequiredText);
  TextTags.Add("<%SPACEAVA%>", &SpaceAvailableText);
}

std::u16string TSetupRuntime::DisplayText(const std::u16string& text) const {
  return tailpack::DisplayText(Languages, TextTags, text);
}

int TSetupRuntime::CompletionExitCode() const {
  return ScriptAborted || InstallFailed || UninstallLogDamaged ? kExitInstallationAborted : kExitCompleted;
}

}  // namespace tailpack
