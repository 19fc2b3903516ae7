#include "script/commands/ArchiveUpdateCommands.h"

#include "base/ProgressChannel.h"
#include "gamedata/PakSystem.h"
#include "gamedata/UpdateHost.h"
#include "gamedata/VfsUpdate.h"
#include "script/RunState.h"
#include "script/commands/RunSupport.h"
#include "system/MessageBoxes.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

namespace {

// What the archive updates need from the run.
class TRuntimeUpdateHost final : public IUpdateHost {
 public:
  explicit TRuntimeUpdateHost(TRunState& runtime) : runtime_(runtime) {}

  std::string InstallDir() override { return runtime_.SetupInfo.Info.InstallDir; }
  std::u16string LanguageString(TStringId id) override { return runtime_.GetString(id); }
  void SetStatusText(const std::u16string& text) override { runtime_.Progress.SetStatusText(text); }
  void StepProgress(bool notify) override { runtime_.Progress.StepProgress(notify); }
  bool AskRetry(const std::string& message) override { return tailpack::AskRetry(message); }
  void ShowEntryMessage(const std::string& text) override { ShowMessage(text, kDecompSizeCaption); }

 private:
  TRunState& runtime_;
};

// An update that could not be done ends the script: its archive is as it
// was, and the run must not pass for complete. An empty message means the
// user has already been told (a cancelled Retry/Cancel box).
void AbortUnless(TRunState& runtime, const TStatus& status) {
  if (!status) AbortRun(runtime, status.Message());
}

// Parameter 1 of "zrpupdate" and "zrpofficial" as the compile step
// enciphered it. The line keeps its enciphered text, so a line that runs
// twice (a jump back) deciphers the same word again.
std::string Deciphered(const TCompLine& line) { return DecryptWithDigitKey(kArchiveUpdateKey, Param(line, 1)); }

}  // namespace

void TZRPUpdateCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  uint16_t group = GroupNumber(Param(line, line.ParamCount - 1));
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).UpdateArchive(group, Param(line, 2), Deciphered(line)));
}

void TZRPOfficialCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).SetOfficial(Param(line, 0), Deciphered(line), Param(line, 2)));
}

void TDuplicateEntryCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).DuplicateEntry(Param(line, 0), Param(line, 1), Param(line, 2)));
}

void TVFSUpdateCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  // The optional close flag sits before the group number the compile step
  // appended: "0" keeps the archive open for the next line.
  bool close = line.ParamCount >= 4 ? Param(line, 2) == "1" : true;
  uint16_t group = GroupNumber(Param(line, line.ParamCount - 1));
  const std::string& archive = Param(line, 1);
  TRuntimeUpdateHost host(runtime);
  TVfsGroupResult result = runtime.VfsUpdate.UpdateVfsGroup(host, runtime.Pak, group, archive, close);
  if (result.Outcome == TVfsGroupOutcome::ArchiveMissing) {
    ShowMessage("Error: Unable to find <" + archive + ">", "VFS Error");
    AbortRun(runtime, "");
  } else if (result.Outcome == TVfsGroupOutcome::Failed) {
    AbortRun(runtime, result.Message);
  }
}

void CloseOpenVfsArchive(TRunState& runtime) {
  if (!runtime.VfsUpdate.HasOpenArchive()) return;
  TRuntimeUpdateHost host(runtime);
  if (TStatus closed = runtime.VfsUpdate.CloseVfsArchive(host); !closed) ReportRunFailure(runtime, closed.Message());
}

}  // namespace tailpack
