// The work of the pages that do something when Next enters them: the
// installation run of the patching page (the worker thread walks the script
// while this thread shows its progress), the uninstallation run of the
// uninstall page (on this thread), the finish step, the finaliser, and the
// completion step that ends a silent run.
#include "wizard/FrmMain.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/Errors.h"
#include "base/FileHelpers.h"
#include "base/PathSafety.h"
#include "base/PrivateTempFolder.h"
#include "base/Text.h"
#include "base/ProgressChannel.h"
#include "diag/ErrorReport.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "setup/RegistryAccessor.h"
#include "setup/RegistryRoots.h"
#include "setup/SetupRuntime.h"
#include "ui/MessageBoxes.h"
#include "wizard/GradGauge.h"
#include "wizard/ScriptWorker.h"

namespace tailpack {

namespace {

constexpr uint16_t kItemProgress = 19;
constexpr uint16_t kRegistryPhase = 24;
constexpr uint16_t kFolderPhase = 25;

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kFinaliserEntry = "FINALISE.EXE";
constexpr const char* kFinaliserFile = "FINALISE.exe";

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace

void TFrmMain::ShowStatus(const std::u16string& text) {
  if (!named_.PatchStatusLabel) return;
  named_.PatchStatusLabel->SetText(text);
  window_->PageArea().RepaintNow();
}

void TFrmMain::ShowGaugeProgress(int32_t position) {
  if (!named_.ProgressGauge) return;
  if (TGradGauge* gauge = named_.ProgressGauge->Gauge()) gauge->SetProgress(position);
  named_.ProgressGauge->RepaintNow();
}

void TFrmMain::PatchingRun() {
  try {
    // The checked language of the language-selection pages goes to the
    // script as $LANGUAGESELECTION; a later page overrides an earlier one.
    for (const auto& page : pageControl_->PageList) {
      if (page->PageType != TPageType::LanguageSelection) continue;
      for (IControl* control : page->Controls())
        if (control->Kind() == TControlKind::Radio && control->Checked()) {
          runtime_.Variables.LanguageSelection = WideToAnsi(control->Text());
          break;
        }
    }
    SetWorkingState(true);
    uint32_t total = runtime_.Pak.CountGrouped();
    if (named_.PatchStatusLabel)
      named_.PatchStatusLabel->SetText(Wide("Status: 0 of " + std::to_string(total) + " files extracted"));
    if (named_.ProgressGauge)
      if (TGradGauge* gauge = named_.ProgressGauge->Gauge()) {
        gauge->SetProgress(0);
        gauge->SetMax(static_cast<int32_t>(total));  // a maximum of 0 is refused by the gauge
      }
    runtime_.UninstallList.AddFolder(runtime_.SetupInfo.Info.InstallDir);
    runtime_.Progress.ResetSteps();
    runtime_.CurrentRow = -1;
    if (worker_ && !workerStopped_) {
      worker_->StartWalk();
      while (worker_->Running()) {
        window_->ProcessMessages();
        if (!runtime_.Silent) PollProgress();
        Pause();
      }
    }
    // What the worker posted last before it finished.
    if (!runtime_.Silent) PollProgress();
    runCompleted_ = true;
    pageControl_->ShowPage(pageControl_->CurrentPage + 1);
    SetWorkingState(false);
  } catch (const ETailpackError& error) {
    SetWorkingState(false);
    ErrorReport(error.what(), "");
  }
  if (runtime_.Silent) CompletionStep();
}

void TFrmMain::PollProgress() {
  // A control that fails to show progress never stops the run.
  try {
    if (auto status = runtime_.Progress.TakeStatusText()) ShowStatus(*status);
  } catch (const ETailpackError&) {
  }
  try {
    if (auto step = runtime_.Progress.TakeStep()) ShowGaugeProgress(static_cast<int32_t>(*step));
  } catch (const ETailpackError&) {
  }
  try {
    if (auto label = runtime_.Progress.TakeFileLabel())
      if (named_.FinishTextLabel) {
        named_.FinishTextLabel->SetText(*label);
        window_->PageArea().RepaintNow();
      }
  } catch (const ETailpackError&) {
  }
}

void TFrmMain::UninstallRun() {
  TUninstallList& list = runtime_.UninstallList;
  SetWorkingState(true);
  const auto fileCount = static_cast<uint32_t>(list.Files.size());
  const auto folderCount = static_cast<uint32_t>(list.Folders.size());
  const auto registryCount = static_cast<uint32_t>(list.RegistryValues.size());
  const uint32_t total = fileCount + folderCount + registryCount;
  if (named_.PatchStatusLabel)
    named_.PatchStatusLabel->SetText(Wide("Status: 0 of " + std::to_string(total) + " items remaining"));
  if (named_.ProgressGauge)
    if (TGradGauge* gauge = named_.ProgressGauge->Gauge()) {
      gauge->SetProgress(0);
      gauge->SetMax(static_cast<int32_t>(total));
    }

  // Shows item Number of Count of a phase, unless that is below one per cent.
  auto showItem = [this](const std::u16string& phase, uint32_t number, uint32_t count, uint32_t gaugePosition) {
    if (static_cast<uint64_t>(number) * 100 / count == 0) return;
    try {
      std::u16string text = runtime_.GetString(kItemProgress);
      text = TLanguages::ReplaceText(text, u"<%ZRPNAME%>", phase);
      text = TLanguages::ReplaceText(text, u"<%FNUM%>", Wide(std::to_string(number)));
      text = TLanguages::ReplaceText(text, u"<%FTOTAL%>", Wide(std::to_string(count)));
      ShowStatus(text);
      ShowGaugeProgress(static_cast<int32_t>(gaugePosition));
    } catch (const ETailpackError&) {
    }
  };

  // Nothing is removed through a link planted below the installation folder
  // or a special folder since the installation: it would reach files that
  // are not the setup's. A link in an item's own place is removed itself.
  const std::vector<std::string> workingFolders = UninstallWorkingFolders();
  auto behindLink = [&workingFolders](const std::string& path) {
    return LinkBelow(WorkingFolderOf(path, workingFolders), path).has_value();
  };
  for (uint32_t k = 1; k <= fileCount; ++k) {
    showItem(u"", k, fileCount, k);
    std::string path = runtime_.Variables.ExpandPathVars(list.Files[k - 1]);
    if (!behindLink(path) && Files().FileExists(path)) Files().Delete(path);
  }
  // Folders from the last created to the first, so inner ones go first; a
  // folder that is not empty stays.
  for (uint32_t k = 1; k <= folderCount; ++k) {
    showItem(runtime_.GetString(kFolderPhase), k, folderCount, fileCount + k);
    const std::string& folder = list.Folders[folderCount - k];
    if (!behindLink(folder) && Files().FolderExists(folder)) Files().RemoveFolder(folder);
  }
  TRegistryAccessor& registry = runtime_.Registry;
  for (uint32_t k = 1; k <= registryCount; ++k) {
    showItem(runtime_.GetString(kRegistryPhase), k, registryCount, fileCount + folderCount + k);
    std::vector<std::string> fields = SplitRegistryLine(list.RegistryValues[k - 1]);
    if (fields.size() < 3) continue;
    registry.SetRootKey(RootKeyHandle(RootKeyFromShortName(fields[0])));
    if (registry.OpenKey(fields[1], false)) {
      registry.DeleteValue(fields[2]);
      registry.CloseKey();
    }
  }

  // The system's entry for this installation. Without a short name the key
  // would be the list of all installed programs: leave it alone.
  const TSetupInfo& info = runtime_.SetupInfo.Info;
  if (!info.ShortName.empty()) {
    std::string key = kUninstallKey + info.ShortName;
    registry.SetRootKey(RootKeyHandle(kRootCodeLocalMachine));
    if (registry.OpenKey(key, false)) {
      registry.DeleteValue("DisplayName");
      registry.DeleteValue("UninstallString");
      registry.CloseKey();
      registry.DeleteKey(key);
    }
  }
  Files().Delete(TUninstallList::LogPath(info.InstallDir, info.UninstallPrefix));

  runCompleted_ = true;
  SetWorkingState(false);
  pageControl_->ShowPage(pageControl_->CurrentPage + 1);
}

std::vector<std::string> TFrmMain::UninstallWorkingFolders() const {
  std::vector<std::string> folders = {runtime_.SetupInfo.Info.InstallDir, runtime_.Variables.ProgramFilesDir,
                                      runtime_.Variables.StartMenuProgramsDir, runtime_.Variables.DesktopDir};
  if (auto appData = Shell().SpecialFolder(TSpecialFolder::AppData)) folders.push_back(*appData);
  return folders;
}

void TFrmMain::FinishStep() {
  if (uninstallMode_) RunFinaliser();
  if (runtime_.Silent) CompletionStep();
  // No question on the finish page; closing runs the finaliser only once.
  window_->Close();
}

void TFrmMain::RunFinaliser() {
  // Started once per run: the finish step and the closing both ask for it.
  if (finaliserStarted_) return;
  uint32_t size = 0;
  auto program = runtime_.Pak.FindFile(kFinaliserEntry, 0, size);
  if (!program) return;  // nothing to start
  auto folder = RunTempFolder().Path();
  if (!folder) return;
  std::string path = *folder + kFinaliserFile;
  if (!WriteBufferToFile(path, program->data(), static_cast<uint32_t>(program->size())).Ok()) return;
  finaliserStarted_ = true;
  Shell().Execute(path, "\"" + System().ExecutablePath() + "\"");
}

void TFrmMain::CompletionStep() {
  if (runtime_.CmdInstallDir.empty())
    MessageBoxes().Show(u"Completed", u"Information", TMessageButtons::Ok, TMessageIcon::Information);
  // The process ends without any clean-up: leave nothing behind that a
  // started finaliser does not still need, and lose no output.
  if (!finaliserStarted_) RunTempFolder().Remove();
  std::fflush(nullptr);
  int code = runtime_.CompletionExitCode();
  System().ExitNow(code);
  std::_Exit(code);  // whatever the platform in place does
}

}  // namespace tailpack
