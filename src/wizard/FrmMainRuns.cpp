// The work of the pages that do something when Next enters them: the
// installation run of the patching page (the worker thread walks the script
// while this thread shows its progress), the uninstallation run of the
// uninstall page (on this thread), the finish step, the finaliser, and the
// completion step that ends a silent run.
#include "wizard/FrmMain.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "base/Errors.h"
#include "base/ExitCodes.h"
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

constexpr const char* kDamagedLogText =
    "Error: install log is damaged. Only the part that could be read was uninstalled; the log and the entry in the "
    "list of installed programs are kept.";

constexpr const char* kNoInstallationPageText = "Error: The unattended setup ended without reaching its installation page.";
constexpr const char* kNoUninstallPageText =
    "Error: The unattended uninstallation ended without reaching its uninstall page.";

// While the worker runs, the window handles its messages at least this often,
// and shows what the worker posts at once but no more often than once a
// frame, so a flood of small files never becomes a flood of repaints. The end
// of the walk cuts every wait short.
constexpr auto kMessageInterval = std::chrono::milliseconds(20);
constexpr auto kFrameInterval = std::chrono::milliseconds(15);

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
  std::string key = kUninstallKey + shortName;
  registry.SetRootKey(RootKeyHandle(kRootCodeLocalMachine));
  if (registry.OpenKey(key, false)) {
    registry.DeleteValue("DisplayName");
    registry.DeleteValue("UninstallString");
    registry.CloseKey();
    registry.DeleteKey(key);
  }
}

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
      // A silent run shows nothing, so only the end of the walk wakes it.
      const TProgressEvents events = runtime_.Silent ? TProgressEvents::WakesOnly : TProgressEvents::PostsAndWakes;
      TProgressChannel& channel = runtime_.Progress;
      uint64_t seen = channel.Events(events);
      worker_->StartWalk();
      while (worker_->Running()) {
        window_->ProcessMessages();
        // Taken before the reports, so a report posted meanwhile ends the wait below at once.
        uint64_t wakes = channel.Events(TProgressEvents::WakesOnly);
        if (!runtime_.Silent && PollProgress()) channel.WaitForEvents(TProgressEvents::WakesOnly, wakes, kFrameInterval);
        seen = channel.WaitForEvents(events, seen, kMessageInterval);
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

bool TFrmMain::PollProgress() {
  bool shown = false;
  // A control that fails to show progress never stops the run.
  try {
    if (auto status = runtime_.Progress.TakeStatusText()) {
      shown = true;
      ShowStatus(*status);
    }
  } catch (const ETailpackError&) {
  }
  try {
    if (auto step = runtime_.Progress.TakeStep()) {
      shown = true;
      ShowGaugeProgress(static_cast<int32_t>(*step));
    }
  } catch (const ETailpackError&) {
  }
  try {
    if (auto label = runtime_.Progress.TakeFileLabel()) {
      shown = true;
      if (named_.FinishTextLabel) {
        named_.FinishTextLabel->SetText(*label);
        window_->PageArea().RepaintNow();
      }
    }
  } catch (const ETailpackError&) {
  }
  return shown;
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
    // Exactly the path that was installed, whatever its name looks like.
    std::string path = runtime_.Variables.ExpandLoggedPath(list.Files[k - 1]);
    if (!behindLink(path) && Files().FileExists(path)) Files().Delete(path);
  }
  // Folders from the last created to the first, so inner ones go first; a
  // folder that is not empty stays.
  for (uint32_t k = 1; k <= folderCount; ++k) {
    showItem(runtime_.GetString(kFolderPhase), k, folderCount, fileCount + k);
    const std::string& folder = list.Folders[folderCount - k];
    if (!behindLink(folder) && Files().FolderExists(folder)) Files().RemoveFolder(folder);
  }
  for (uint32_t k = 1; k <= registryCount; ++k) {
    showItem(runtime_.GetString(kRegistryPhase), k, registryCount, fileCount + folderCount + k);
    DeleteRecordedValue(runtime_.Registry, list.RegistryValues[k - 1]);
  }

  const TSetupInfo& info = runtime_.SetupInfo.Info;
  if (runtime_.UninstallLogDamaged) {
    // What the lost part lists is still installed: the log and the entry stay,
    // so the user learns of it and nothing is forgotten for good.
    ShowMessage(kDamagedLogText, "Setup Error", TMessageIcon::Error);
  } else {
    RemoveRegistration(runtime_.Registry, info.ShortName);
    Files().Delete(TUninstallList::LogPath(info.InstallDir, info.UninstallPrefix));
  }

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
  // It follows an uninstallation; pages that never led to one start nothing.
  if (finaliserStarted_ || !runCompleted_) return;
  uint32_t size = 0;
  auto program = runtime_.Pak.FindFile(kFinaliserEntry, 0, size);
  if (!program) return;  // nothing to start
  auto folder = RunTempFolder().Path();
  if (!folder) return;
  std::string path = *folder + kFinaliserFile;
  // Written from the archive's bytes, it must be made a program the system
  // will start (on POSIX a new file is not executable).
  if (!WriteBufferToFile(path, program->data(), static_cast<uint32_t>(program->size())).Ok() ||
      !Files().MakeExecutable(path))
    return;
  finaliserStarted_ = true;
  Shell().Execute(path, "\"" + System().ExecutablePath() + "\"");
}

void TFrmMain::CompletionStep() {
  if (!runCompleted_) {
    // The pages never led to the work: reporting success would claim an
    // installation (or uninstallation) that never happened.
    ShowMessage(uninstallMode_ ? kNoUninstallPageText : kNoInstallationPageText, "Error", TMessageIcon::Error);
    EndProcess(kExitStartupFailed);
  }
  if (runtime_.CmdInstallDir.empty())
    MessageBoxes().Show(u"Completed", u"Information", TMessageButtons::Ok, TMessageIcon::Information);
  EndProcess(runtime_.CompletionExitCode());
}

void TFrmMain::EndProcess(int code) {
  // The process ends without any clean-up: leave nothing behind that a
  // started finaliser does not still need, and lose no output.
  if (!finaliserStarted_) RunTempFolder().Remove();
  std::fflush(nullptr);
  System().ExitNow(code);
  std::_Exit(code);  // whatever the platform in place does
}

}  // namespace tailpack
