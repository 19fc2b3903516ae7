#include "script/commands/FileCommands.h"

#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "script/RunState.h"
#include "script/commands/RunSupport.h"
#include "setupinfo/RegistryAccessor.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"
#include "system/PathSafety.h"

namespace tailpack {

namespace {

// The eight-parameter "file" line's registry test: the string value compared
// exactly with the expected data, turned round by a negate flag of "0",
// "false" or "f". Opening creates a missing key, as every registry command does.
bool RegistryConditionHolds(TRunState& runtime, const TCompLine& line) {
  SelectRootKey(runtime, Param(line, 2));
  bool equal = false;
  if (runtime.Registry.OpenKey(Param(line, 3), true)) {
    equal = runtime.Registry.ReadString(Param(line, 4)).value_or("") == Param(line, 5);
    runtime.Registry.CloseKey();
  }
  std::string negate = LowerAnsi(Param(line, 6));
  bool negated = negate == "0" || negate == "false" || negate == "f";
  return negated ? !equal : equal;
}

// The folder below which writing a file must pass through no link: the
// installation folder when the file lies in it (a link planted there must not
// carry the installation elsewhere), else the file's own folder.
std::string InstallWorkingFolder(const TRunState& runtime, const std::string& file) {
  return WorkingFolderOf(file, {runtime.SetupInfo.Info.InstallDir});
}

// Extracts a group; a group that cannot be installed completely ends the run,
// so no missing or damaged file is ever reported as installed.
void ExtractGroupOrAbort(TRunState& runtime, const std::string& folder, uint16_t group) {
  runtime.Pak.SetStatusTemplate([&runtime] { return runtime.GetString(TStringId::Extracting); });
  runtime.Pak.SetRecorder(&runtime.UninstallList);
  // A file the installed program still holds open, a drive that is full:
  // the user can mend either and try again.
  runtime.Pak.SetRetryQuestion(AskRetry);
  // A group extracted into the installation folder, or below it, must not
  // pass through a link anywhere below the installation folder; one sent
  // elsewhere, through none below its own folder.
  const std::string& installDir = runtime.SetupInfo.Info.InstallDir;
  TStatus status = runtime.Pak.ExtractGroup(folder, group, IsSameOrBelow(installDir, folder) ? installDir : folder);
  ShowMessageIfAny(status.Notice(), kDecompSizeCaption);
  // An empty message: the user chose not to try again and has been told.
  if (!status) AbortRun(runtime, status.Message());
}

}  // namespace

void TFileCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  const std::string& installDir = runtime.SetupInfo.Info.InstallDir;
  switch (line.ParamCount) {
    case 1:
    case 2:
      ExtractGroupOrAbort(runtime, installDir, GroupNumber(Param(line, line.ParamCount - 1)));
      return;
    case 3: {
      std::string destination = Expand(runtime, Param(line, 1));
      if (IsAbsoluteDrivePath(destination))
        destination = IncludeTrailingBackslash(destination);
      else
        destination = IncludeTrailingBackslash(installDir) + IncludeTrailingBackslash(destination);
      ExtractGroupOrAbort(runtime, destination, GroupNumber(Param(line, 2)));
      return;
    }
    case 8: {
      if (!RegistryConditionHolds(runtime, line)) return;
      // This form's destination is always below the installation folder and
      // taken as written.
      std::string destination = IncludeTrailingBackslash(installDir) + IncludeTrailingBackslash(Param(line, 1));
      ExtractGroupOrAbort(runtime, destination, GroupNumber(Param(line, 7)));
      return;
    }
    default:
      ShowMessage(ParamCountComplaint(), "Error");
      return;
  }
}

void TDeleteCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  if (line.Params.empty()) return;
  line.Params[0] = Expand(runtime, line.Params[0]);
  if (Files().FileExists(line.Params[0])) Files().Delete(line.Params[0]);
}

void TCopyFileCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  std::string source = Expand(runtime, ResolveCDDrive(Param(line, 0)));
  std::string destination = Expand(runtime, Param(line, 1));
  runtime.Progress.SetStatusText(TLanguages::ReplaceText(runtime.GetString(TStringId::CopyingFile), u"<%FILENAME%>",
                                                         AnsiToWide(ExtractFileName(source))));
  // A folder link planted in the installation folder would take the copy
  // (and the folders made for it) elsewhere: such a copy fails, silently as
  // every failed copy, and nothing through the link is recorded.
  if (LinkBelow(InstallWorkingFolder(runtime, destination), destination)) return;
  CreateFolderChain(ExtractFileDir(destination), &runtime.UninstallList);
  Files().Copy(source, destination, false);
  // Recorded even when the copy failed: the uninstaller removes what is there.
  runtime.UninstallList.AddFile(destination);
}

void TRenameCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  if (line.Params.size() < 2) return;
  line.Params[0] = Expand(runtime, line.Params[0]);
  line.Params[1] = Expand(runtime, line.Params[1]);
  if (Files().FileExists(line.Params[0])) Files().Rename(line.Params[0], line.Params[1]);
}

void TCreateDirectoryCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  std::string folder = Expand(runtime, Param(line, 0));
  CreateFolderChain(folder, &runtime.UninstallList);
  // Recorded also when it existed before, so the uninstaller tries to remove
  // it (which only succeeds once it is empty).
  runtime.UninstallList.AddFolder(folder);
}

void TRMDirCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  std::string folder = Expand(runtime, Param(line, 0));
  // DeleteTree refuses what must never go: a relative or empty text (a
  // variable that expanded to nothing), a drive root ("$INSTDIR\.." included)
  // and the system's own folders. A refusal removes nothing; like every
  // file-system failure of a command it does not stop the script.
  DeleteTree(folder);
}

}  // namespace tailpack
