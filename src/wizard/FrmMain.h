#pragma once
// The wizard controller: TFrmMain builds the pages once the setup is loaded,
// moves between them, keeps the installation folder, the folder tree and the
// space figures consistent on the folder page, switches languages, guards
// closing, and does the work of the patching, uninstall and finish pages
// (FrmMainRuns.cpp). It drives a backend's window through the widget
// interface of ui/Widgets.h and never knows the toolkit.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/WizardInterface.h"
#include "wizard/SEPageControl.h"
#include "wizard/Widgets.h"

namespace tailpack {

class IScriptWorker;
class TSetupRuntime;

// Controls the wizard finds by their layout names once the pages are built.
struct TNamedControls {
  IControl* PatchStatusLabel = nullptr;  // "patching_statuslabel", a label
  IControl* ProgressGauge = nullptr;     // "patching_progressbar", a progress bar
  IControl* FinishTextLabel = nullptr;   // "finishtext", a label
  IControl* InstallDirEdit = nullptr;    // "installdir_edit", an edit
  IControl* FolderTree = nullptr;        // "installdir_shelltreeview", a folder tree
  IControl* SpaceLabel = nullptr;        // "spaceavalible", a label
};

class TFrmMain final : public IWizard, public IWizardEvents {
 public:
  // Takes the backend's windows and the worker thread, which idles until the
  // patching page starts it.
  TFrmMain(TSetupRuntime& runtime, std::unique_ptr<IWizardWindow> window, std::unique_ptr<IDebugWindow> debugWindow,
           std::unique_ptr<IScriptWorker> worker);
  ~TFrmMain() override;
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  // --- IWizard ----------------------------------------------------------------
  void SetPagesUp() override;
  void NextButtonClick() override;
  // Shows the window until it closes: kExitCancelled when it closed before
  // the work was done, else the run's completion code.
  int RunMessageLoop() override;

  // --- IWizardEvents (what the window reports) --------------------------------
  void ButtonClick(TWizardButton button) override;
  void LanguageItemClick(int tag) override;
  bool CloseQuery() override;
  void Closing() override;

  // --- Handlers ---------------------------------------------------------------
  void BackButtonClick();
  // Closes the window, which asks first.
  void CancelButtonClick();
  // Pops the language menu up just under the language button.
  void LanguageButtonClick();
  // The debug window with the archive and the setup information.
  void Button2Click();
  void SetWorkingState(bool working) { working_ = working; }
  // Language button caption and visibility, and the language menu.
  void SetupLanguages();
  void SetupCheckedLanguage();
  // The folder field changed: drive check, installation folder, free space,
  // the tree follows.
  void InstallDirEditChange();
  // The user picked a folder in the tree: it goes into the folder field.
  void ShellTreeViewChange();
  // Moves the tree to Path, or to its deepest existing ancestor, opening the
  // nodes along the way when Expand is true.
  void NavigateTree(const std::string& path, bool expand);

  // --- State ------------------------------------------------------------------
  TSEPageControl& PageControl() { return *pageControl_; }
  IWizardWindow& Window() { return *window_; }
  const TNamedControls& Named() const { return named_; }
  bool Working() const { return working_; }
  bool FolderPageEntered() const { return folderPageEntered_; }

 private:
  TPageType CurrentPageType() const { return pageControl_->CurrentPageType(); }
  IControl& Button(TWizardButton button) { return window_->Button(button); }
  void SetButtonCaptions();
  void FindNamedControls();
  // Sets the folder field's text and, when it changed, runs its handler.
  void SetFolderFieldText(const std::u16string& text);
  // Next's state and the space label of the patch page.
  void ApplySpaceCheck();
  void StopWorker();

  // FrmMainRuns.cpp: the work of the patching, uninstall and finish pages.
  void PatchingRun();
  // Shows what the worker posted since the last call; true when there was something.
  bool PollProgress();
  void UninstallRun();
  void FinishStep();
  void RunFinaliser();
  [[noreturn]] void CompletionStep();
  [[noreturn]] void EndProcess(int code);
  void ShowStatus(const std::u16string& text);
  void ShowGaugeProgress(int32_t position);

  TSetupRuntime& runtime_;
  std::unique_ptr<IWizardWindow> window_;
  std::unique_ptr<IDebugWindow> debugWindow_;
  std::unique_ptr<IScriptWorker> worker_;
  std::unique_ptr<TSEPageControl> pageControl_;
  TNamedControls named_;
  bool working_ = false;
  bool folderPageEntered_ = false;
  bool treeBusy_ = false;
  // Whether this run uninstalls, as decided when the pages were set up.
  bool uninstallMode_ = false;
  // Pages whose run has been done; a run never starts twice.
  std::set<int> pagesRun_;
  bool runCompleted_ = false;
  bool closedOnFinish_ = false;
  bool finaliserStarted_ = false;
  // The worker ends once, when the window closes (or is abandoned).
  bool workerStopped_ = false;
};

}  // namespace tailpack
