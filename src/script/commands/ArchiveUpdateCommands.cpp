#include "script/commands/ArchiveUpdateCommands.h"

#include "base/ProgressChannel.h"
#include "gamedata/DataArchiveFormat.h"
#include "gamedata/PakSystem.h"
#include "gamedata/UpdateHost.h"
#include "gamedata/VfsUpdate.h"
#include "platform/TextCodec.h"
#include "script/commands/CompileSupport.h"
#include "script/commands/RunSupport.h"
#include "setup/SetupRuntime.h"
#include "ui/MessageBoxes.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

bool TZRPUpdateCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  TCompLine& line = LineOf(compiler, row);
  // The archive's trailer cannot hold a longer password: the archive could
  // not be read again after the update.
  if (line.Params[1].size() > kZrpMaxPasswordLength) {
    compiler.Error.Message = "the password is longer than " + std::to_string(kZrpMaxPasswordLength) + " characters";
    compiler.Error.Line = row;
    return true;
  }
  // Lines naming the same data archive share one group.
  std::string archive = line.Params[2];
  CompileDataGroup(compiler, row, archive);
  EncipherParameter(LineOf(compiler, row), 1);
  return true;
}

bool TZRPOfficialCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  EncipherParameter(LineOf(compiler, row), 1);
  return true;
}

bool TVFSUpdateCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  std::string archive = LineOf(compiler, row).Params[1];
  CompileDataGroup(compiler, row, archive);
  return true;
}

namespace {

// What the archive updates need from the run.
class TRuntimeUpdateHost final : public IUpdateHost {
 public:
  explicit TRuntimeUpdateHost(TSetupRuntime& runtime) : runtime_(runtime) {}

  std::string InstallDir() override { return runtime_.SetupInfo.Info.InstallDir; }
  std::u16string LanguageString(uint16_t number) override { return runtime_.GetString(number); }
  void SetStatusText(const std::u16string& text) override { runtime_.Progress.SetStatusText(text); }
  void StepProgress(bool notify) override { runtime_.Progress.StepProgress(notify); }
  bool AskRetry(const std::string& message) override {
    return MessageBoxes().Show(AnsiToWide(message), u"Error", TMessageButtons::RetryCancel, TMessageIcon::Warning) ==
           TMessageResult::Retry;
  }

 private:
  TSetupRuntime& runtime_;
};

// An update that could not be done ends the script: its archive is as it
// was, and the run must not pass for complete. An empty message means the
// user has already been told (a cancelled Retry/Cancel box).
void AbortUnless(TSetupRuntime& runtime, const TStatus& status) {
  if (!status) AbortRun(runtime, status.Message());
}

// Parameter 1 of "zrpupdate" and "zrpofficial" as the compile step
// enciphered it. The line keeps its enciphered text, so a line that runs
// twice (a jump back) deciphers the same word again.
std::string Deciphered(const TCompLine& line) { return DecryptWithDigitKey(kArchiveUpdateKey, Param(line, 1)); }

}  // namespace

void TZRPUpdateCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  uint16_t group = GroupNumber(Param(line, line.ParamCount - 1));
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).UpdateArchive(group, Param(line, 2), Deciphered(line)));
}

void TZRPOfficialCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).SetOfficial(Param(line, 0), Deciphered(line), Param(line, 2)));
}

void TDuplicateEntryCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  TRuntimeUpdateHost host(runtime);
  AbortUnless(runtime, TPakSystem(host, runtime.Pak).DuplicateEntry(Param(line, 0), Param(line, 1), Param(line, 2)));
}

void TVFSUpdateCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  // The optional close flag sits before the group number the compile step
  // appended: "0" keeps the archive open for the next line.
  bool close = line.ParamCount >= 4 ? Param(line, 2) == "1" : true;
  uint16_t group = GroupNumber(Param(line, line.ParamCount - 1));
  const std::string& archive = Param(line, 1);
  TRuntimeUpdateHost host(runtime);
  TVfsGroupResult result = runtime.VfsUpdate.UpdateVfsGroup(host, runtime.Pak, group, archive, close);
  if (result.Outcome == TVfsGroupOutcome::ArchiveMissing) {
    std::string message = "Error: Unable to find <" + archive + ">";
    ShowMessage(message, "VFS Error");
    if (runtime.FailureMessage.empty()) runtime.FailureMessage = message;
    AbortRun(runtime, "");
  } else if (result.Outcome == TVfsGroupOutcome::Failed) {
    AbortRun(runtime, result.Message);
  }
}

void CloseOpenVfsArchive(TSetupRuntime& runtime) {
  if (!runtime.VfsUpdate.HasOpenArchive()) return;
  TRuntimeUpdateHost host(runtime);
  if (TStatus closed = runtime.VfsUpdate.CloseVfsArchive(host); !closed) ReportRunFailure(runtime, closed.Message());
}

}  // namespace tailpack
