// The work of the pages that do something when Next enters them: the
// installation run of the patching page (the worker thread walks the script
// while this thread shows its progress), the uninstallation run of the
// uninstall page (on this thread), the finish step, the finaliser, and the
// completion step that ends a silent run.
#include "wizard/FrmMain.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "archive/SetupEntryNames.h"
#include "base/Errors.h"
#include "base/ExitCodes.h"
#include "base/ProgressChannel.h"
#include "base/Text.h"
#include "diag/ErrorReport.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "runtime/SetupRuntime.h"
#include "runtime/UninstallReplay.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"
#include "system/PrivateTempFolder.h"
#include "wizard/GradGauge.h"
#include "wizard/ScriptWorker.h"

namespace tailpack {

namespace {

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
  SetWorkingState(true);
  const uint32_t total = UninstallItemCount(runtime_.UninstallList);
  if (named_.PatchStatusLabel)
    named_.PatchStatusLabel->SetText(Wide("Status: 0 of " + std::to_string(total) + " items remaining"));
  if (named_.ProgressGauge)
    if (TGradGauge* gauge = named_.ProgressGauge->Gauge()) {
      gauge->SetProgress(0);
      gauge->SetMax(static_cast<int32_t>(total));
    }
  const TUninstallReplayResult result =
      ReplayUninstall(runtime_, [this](const std::u16string& status, uint32_t gaugePosition) {
        // A control that fails to show progress never stops the uninstallation.
        try {
          ShowStatus(status);
          ShowGaugeProgress(static_cast<int32_t>(gaugePosition));
        } catch (const ETailpackError&) {
        }
      });
  if (result == TUninstallReplayResult::LogDamaged) ShowMessage(kDamagedLogText, "Setup Error", TMessageIcon::Error);
  runCompleted_ = true;
  SetWorkingState(false);
  pageControl_->ShowPage(pageControl_->CurrentPage + 1);
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
  ShowMessageIfAny(program.Message, kDecompSizeCaption);
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
