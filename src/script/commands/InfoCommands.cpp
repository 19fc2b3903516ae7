#include "script/commands/InfoCommands.h"

#include "builder/CompileSupport.h"
#include "runtime/SetupRuntime.h"
#include "script/commands/RunSupport.h"
#include "setupinfo/RegistryRoots.h"

namespace tailpack {

bool TSetupInfoCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  Apply(compiler, LineOf(compiler, row).Params);
  return true;
}

void TNameCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.SetupName = params[0];
  compiler.Info.ShortName = params[0];
}

void TShortNameCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.ShortName = params[0];
}

void TOutFileCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.SetupExeName = params[0];
}

void TInstallDirCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.InstallDir = params[0];
}

void TInstallDirRegKeyCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  uint16_t& slot = compiler.FileList.RegKeySlot;
  compiler.Info.InstallDirRegKeys[slot] = TREGKEY{RootKeyFromShortName(params[0]), params[1], params[2]};
  // Lines beyond the fifth keep overwriting the last slot.
  if (slot + 1u < kInstallDirRegKeyCount) ++slot;
}

void TChangelogCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  // The change log is a group-0 entry under this name; the builder packs it.
  compiler.Info.Changelog = params[0];
}

void TPagesCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.Pages = params[0];
}

void TUninstallPagesCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.UninstallPages = params[0];
  compiler.Info.HasUninstaller = 1;
}

void TUninstallPrefixCommand::Apply(TCompiler& compiler, const std::vector<std::string>& params) {
  compiler.Info.UninstallPrefix = params[0] + "_";
  compiler.Info.UninstallExeName = params[0] + "_Uninstall.exe";
}

std::string TLanguageFileCommand::LanguageFile(const TCompiler& compiler, const std::string& name) {
  return compiler.ProgramFolder + "\\languages\\" + name + ".wri";
}

bool TLanguageFileCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  const std::string name = LineOf(compiler, row).Params[0];
  compiler.AddSourceFile(LanguageFile(compiler, name), EntryPrefix + name, "", 0);
  return true;
}

namespace {

// The folder (expanded) and prefix (as written, empty when absent) of a log line.
void LogPlace(TSetupRuntime& runtime, int32_t row, std::string& folder, std::string& prefix) {
  const TCompLine& line = RunLine(runtime, row);
  folder = Expand(runtime, Param(line, 0));
  prefix = line.ParamCount >= 2 ? Param(line, 1) : std::string();
}

}  // namespace

void TUninstallLogLoadCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  std::string folder;
  std::string prefix;
  LogPlace(runtime, row, folder, prefix);
  // A missing log leaves the list as it is, so records made earlier in this
  // run survive.
  runtime.UninstallList.LoadFromFile(folder, prefix);
}

void TUninstallLogSaveCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  std::string folder;
  std::string prefix;
  LogPlace(runtime, row, folder, prefix);
  // A log that could not be written would leave an installation nobody can
  // remove: the user hears of it and the run ends as failed.
  if (TStatus saved = runtime.UninstallList.SaveToFile(folder, prefix); !saved)
    ReportRunFailure(runtime, saved.Message());
}

}  // namespace tailpack
