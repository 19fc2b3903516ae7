#include "wizard/FrmMain.h"

#include "archive/SetupEntryNames.h"
#include "base/ExitCodes.h"
#include "base/Numbers.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "runtime/SetupRuntime.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"
#include "wizard/DebugDump.h"
#include "wizard/ScriptWorker.h"

namespace tailpack {

namespace {

// Drives the folder page refuses: unknown, no root folder, CD-ROM, RAM disk.
bool IsAcceptedDrive(const std::string& path) {
  switch (Files().DriveType(path.substr(0, 3))) {
    case TDriveType::Unknown:
    case TDriveType::NoRootFolder:
    case TDriveType::CdRom:
    case TDriveType::RamDisk:
      return false;
    default:
      return true;
  }
}

std::string WithoutOneTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

TFrmMain::TFrmMain(TSetupRuntime& runtime, std::unique_ptr<IWizardWindow> window,
                   std::unique_ptr<IDebugWindow> debugWindow, std::unique_ptr<IScriptWorker> worker)
    : runtime_(runtime), window_(std::move(window)), debugWindow_(std::move(debugWindow)), worker_(std::move(worker)) {
  pageControl_ = std::make_unique<TSEPageControl>(runtime_, Button(TWizardButton::Back), window_->PageArea(),
                                                  Button(TWizardButton::Language), Button(TWizardButton::Cancel),
                                                  Button(TWizardButton::Next));
  window_->SetEvents(this);
}

TFrmMain::~TFrmMain() {
  StopWorker();
  window_->SetEvents(nullptr);
}

void TFrmMain::SetPagesUp() {
  const TSetupInfo& info = runtime_.SetupInfo.Info;
  uninstallMode_ = runtime_.IsUninstaller();
  std::u16string title = uninstallMode_ ? AnsiToWide(info.ShortName) + u" " + runtime_.GetString(TStringId::UninstallTitleSuffix)
                                        : AnsiToWide(info.SetupName);
  window_->SetTitles(title, u" " + title);

  if (TStatus loaded = pageControl_->LoadConfig(kPagesEntry); !loaded) ShowMessage(loaded.Message(), kMissingFileCaption);
  window_->PageArea().SetColour(pageControl_->Colour);

  FindNamedControls();
  std::string& installDir = runtime_.SetupInfo.Info.InstallDir;
  // Always with its final backslash, as the folder page leaves it: the
  // uninstall log records files as "$INSTDIR" followed directly by the rest,
  // so an uninstaller given "-id C:\App" would otherwise look for
  // "C:\Appbin\..." and leave every file behind.
  installDir = IncludeTrailingBackslash(runtime_.Variables.ExpandPathVars(installDir));

  if (named_.FolderTree) {
    named_.FolderTree->SetChangeHandler([this] { ShellTreeViewChange(); });
    // The tree learns its folder while shown; its page decides when it is.
    bool visible = named_.FolderTree->Visible();
    named_.FolderTree->SetVisible(true);
    NavigateTree(installDir, false);
    named_.FolderTree->SetVisible(visible);
  }
  if (named_.InstallDirEdit) {
    // The text is set before the handler, so setting it does not run it.
    named_.InstallDirEdit->SetText(AnsiToWide(runtime_.Variables.ExpandPathVars(installDir)));
    named_.InstallDirEdit->SetChangeHandler([this] { InstallDirEditChange(); });
  }
  SetButtonCaptions();
  SetupLanguages();
  runtime_.Progress.AttachControls(named_.PatchStatusLabel != nullptr, named_.ProgressGauge != nullptr,
                                   named_.FinishTextLabel != nullptr);
}

void TFrmMain::FindNamedControls() {
  named_ = TNamedControls{};
  struct TWanted {
    const char* Name;
    TControlKind Kind;
    IControl* TNamedControls::*Field;
  };
  static constexpr TWanted kWanted[] = {
      {"patching_statuslabel", TControlKind::Label, &TNamedControls::PatchStatusLabel},
      {"patching_progressbar", TControlKind::ProgressBar, &TNamedControls::ProgressGauge},
      {"finishtext", TControlKind::Label, &TNamedControls::FinishTextLabel},
      {"installdir_edit", TControlKind::Edit, &TNamedControls::InstallDirEdit},
      {"installdir_shelltreeview", TControlKind::FolderTree, &TNamedControls::FolderTree},
      {"spaceavalible", TControlKind::Label, &TNamedControls::SpaceLabel},
  };
  // A later match replaces an earlier one. A control of another kind under
  // one of these names is not taken: the wizard relies on the kind.
  for (const auto& page : pageControl_->PageList)
    for (IControl* control : page->Controls()) {
      std::string name = LowerAnsi(control->Name());
      for (const TWanted& wanted : kWanted)
        if (name == wanted.Name && control->Kind() == wanted.Kind) named_.*wanted.Field = control;
    }
}

void TFrmMain::SetButtonCaptions() {
  Button(TWizardButton::Back).SetText(runtime_.GetString(TStringId::BackCaption));
  Button(TWizardButton::Next).SetText(runtime_.GetString(TStringId::NextCaption));
  Button(TWizardButton::Cancel).SetText(runtime_.GetString(TStringId::CancelCaption));
}

void TFrmMain::NextButtonClick() {
  // The finish page ends the wizard. It hides Next, so only a silent run
  // presses it there: that runs the finish step (the finaliser of an
  // uninstaller) rather than moving on to a frame or another page after it.
  if (CurrentPageType() == TPageType::Finish) {
    FinishStep();
    return;
  }
  int before = pageControl_->CurrentPage;
  pageControl_->ShowPage(before + 1);
  bool moved = pageControl_->CurrentPage != before;
  int current = pageControl_->CurrentPage;
  switch (CurrentPageType()) {
    case TPageType::InstallDir:
      if (!folderPageEntered_) {
        folderPageEntered_ = true;
        if (named_.InstallDirEdit) SetFolderFieldText(AnsiToWide(runtime_.SetupInfo.Info.InstallDir));
      }
      InstallDirEditChange();
      break;
    case TPageType::Patch:
      ApplySpaceCheck();
      break;
    case TPageType::Patching:
    case TPageType::Uninstall:
      // A page works only in its own mode: an installer has no log to replay
      // and an uninstaller no script to run (it would overwrite its own log
      // and program). In silent mode Next is pressed again and again: the
      // work of a page is done once, and the run ends when no page is left.
      if ((CurrentPageType() == TPageType::Uninstall) == uninstallMode_ && pagesRun_.insert(current).second) {
        if (CurrentPageType() == TPageType::Patching) PatchingRun();
        else UninstallRun();
        return;
      }
      break;
    case TPageType::Finish:
      FinishStep();
      return;
    default:
      break;
  }
  if (!moved && runtime_.Silent) CompletionStep();
}

void TFrmMain::ApplySpaceCheck() {
  if (runtime_.SpaceAvailable < runtime_.SpaceRequired) Button(TWizardButton::Next).SetEnabled(false);
  if (named_.SpaceLabel) named_.SpaceLabel->SetText(runtime_.DisplayText(runtime_.GetString(TStringId::SpaceText)));
}

void TFrmMain::BackButtonClick() { pageControl_->ShowPage(pageControl_->CurrentPage - 1); }

void TFrmMain::CancelButtonClick() { window_->Close(); }

void TFrmMain::ButtonClick(TWizardButton button) {
  switch (button) {
    case TWizardButton::Language: LanguageButtonClick(); break;
    case TWizardButton::Debug: Button2Click(); break;
    case TWizardButton::Back: BackButtonClick(); break;
    case TWizardButton::Next: NextButtonClick(); break;
    case TWizardButton::Cancel: CancelButtonClick(); break;
  }
}

void TFrmMain::Button2Click() {
  std::vector<std::u16string> lines;
  for (const std::string& line : DebugDumpLines(runtime_.Pak, runtime_.SetupInfo.Info)) lines.push_back(AnsiToWide(line));
  debugWindow_->ShowModal(lines);
}

void TFrmMain::SetupLanguages() {
  const auto& languages = runtime_.Languages.LanguageList();
  int current = runtime_.Languages.Current;
  IControl& languageButton = Button(TWizardButton::Language);
  if (current >= 0 && static_cast<size_t>(current) < languages.size())
    languageButton.SetText(languages[static_cast<size_t>(current)].Name);
  if (languages.size() < 2) languageButton.SetVisible(false);
  std::vector<TMenuItem> items;
  for (size_t i = 0; i < languages.size(); ++i)
    items.push_back(TMenuItem{languages[i].Name, static_cast<int>(i), static_cast<int>(i) == current});
  window_->SetLanguageMenu(items);
}

void TFrmMain::SetupCheckedLanguage() {
  size_t count = runtime_.Languages.LanguageList().size();
  for (size_t i = 0; i < count; ++i)
    window_->SetLanguageMenuChecked(i, static_cast<int>(i) == runtime_.Languages.Current);
}

void TFrmMain::LanguageButtonClick() {
  TBounds window = window_->WindowBounds();
  TSize client = window_->ClientSize();
  TBounds button = Button(TWizardButton::Language).Bounds();
  window_->PopUpLanguageMenu(TPoint{window.Left + window.Width - client.Width + button.Left - 4,
                                    window.Top + window.Height - client.Height + button.Top + button.Height - 4});
}

void TFrmMain::LanguageItemClick(int tag) {
  const auto& languages = runtime_.Languages.LanguageList();
  if (tag < 0 || static_cast<size_t>(tag) >= languages.size()) return;
  runtime_.Languages.Current = tag;
  Button(TWizardButton::Language).SetText(languages[static_cast<size_t>(tag)].Name);
  SetupCheckedLanguage();
  SetButtonCaptions();
  pageControl_->ShowPage(pageControl_->CurrentPage);
  pageControl_->RetranslateAll();
  // ShowPage enables Next again: the folder and patch pages apply their own
  // refusal once more, so a language switch never gets past them.
  if (CurrentPageType() == TPageType::InstallDir && folderPageEntered_) InstallDirEditChange();
  else if (CurrentPageType() == TPageType::Patch) ApplySpaceCheck();
}

void TFrmMain::SetFolderFieldText(const std::u16string& text) {
  IControl& edit = *named_.InstallDirEdit;
  if (edit.Text() == text) return;
  edit.SetText(text);
  InstallDirEditChange();
}

void TFrmMain::InstallDirEditChange() {
  if (!named_.InstallDirEdit) return;
  std::string text = WideToAnsi(named_.InstallDirEdit->Text());
  if (CurrentPageType() == TPageType::InstallDir) {
    IControl& next = Button(TWizardButton::Next);
    if (!IsAcceptedDrive(text)) {
      next.SetEnabled(false);
      return;
    }
    next.SetEnabled(true);
    std::string& installDir = runtime_.SetupInfo.Info.InstallDir;
    if (folderPageEntered_) installDir = IncludeTrailingBackslash(text);
    if (!installDir.empty()) {
      char letter = UpperAnsiChar(installDir[0]);
      if (letter >= 'A' && letter <= 'Z') {
        // A drive whose free space cannot be told has none to offer.
        runtime_.SpaceAvailable = Files().FreeSpace(std::string(1, letter) + ":\\").value_or(0);
        runtime_.SpaceAvailableText = FormatSize(runtime_.SpaceAvailable);
      }
    }
  }
  if (named_.FolderTree && !treeBusy_) NavigateTree(text, true);
}

void TFrmMain::ShellTreeViewChange() {
  // Moves the program makes itself are not the user's choice: taking them
  // would replace a typed folder that does not exist yet by its parent.
  if (treeBusy_ || !named_.InstallDirEdit || !named_.FolderTree) return;
  if (CurrentPageType() != TPageType::InstallDir) return;
  IFolderTree* tree = named_.FolderTree->FolderTree();
  std::string path = tree->SelectedPath();
  if (path.empty() || !IsAcceptedDrive(path)) return;
  SetFolderFieldText(AnsiToWide(path));
}

void TFrmMain::NavigateTree(const std::string& path, bool expand) {
  IFolderTree* tree = named_.FolderTree ? named_.FolderTree->FolderTree() : nullptr;
  if (!tree) return;
  treeBusy_ = true;
  std::string given = WithoutOneTrailingBackslash(path);
  std::string existing = given;
  while (!Files().FolderExists(existing) && existing.size() > 2) {
    size_t backslash = existing.rfind('\\');
    existing = backslash == std::string::npos ? std::string() : existing.substr(0, backslash);
  }
  if (!Files().FolderExists(existing)) {
    treeBusy_ = false;
    return;
  }
  tree->SelectPath(IncludeTrailingBackslash(existing));
  if (expand) {
    tree->SetRepainting(false);
    // Node 2 is the computer under the desktop.
    if (tree->NodeCount() > 2) tree->ExpandNode(2);
    auto findNode = [tree](const std::string& folder) -> std::optional<size_t> {
      std::string wanted = LowerAnsi(IncludeTrailingBackslash(folder));
      for (size_t i = 0; i < tree->NodeCount(); ++i) {
        std::string nodePath = tree->NodePath(i);
        if (!nodePath.empty() && LowerAnsi(IncludeTrailingBackslash(nodePath)) == wanted) return i;
      }
      return std::nullopt;
    };
    // Open the tree along the path, one folder at a time from the root.
    size_t start = 0;
    while (start < given.size()) {
      size_t backslash = given.find('\\', start);
      std::string prefix = backslash == std::string::npos ? given : given.substr(0, backslash + 1);
      auto node = findNode(prefix);
      if (!node) break;
      tree->ExpandNode(*node);
      if (backslash == std::string::npos) break;
      start = backslash + 1;
    }
    if (Files().FolderExists(given))
      if (auto node = findNode(given)) tree->SelectNode(*node);
    tree->SetRepainting(true);
  }
  treeBusy_ = false;
}

bool TFrmMain::CloseQuery() {
  if (working_) return false;
  if (CurrentPageType() == TPageType::Finish) return true;
  TMessageResult answer = MessageBoxes().Show(runtime_.GetString(TStringId::CloseQuestion), runtime_.GetString(TStringId::CloseQuestionCaption),
                                              TMessageButtons::YesNo, TMessageIcon::Question, TMessageOwner::Wizard);
  return answer == TMessageResult::Yes;
}

void TFrmMain::Closing() {
  closedOnFinish_ = CurrentPageType() == TPageType::Finish;
  StopWorker();
  if (closedOnFinish_ && uninstallMode_) RunFinaliser();
}

void TFrmMain::StopWorker() {
  if (!worker_ || workerStopped_) return;
  runtime_.Terminating = true;
  worker_->Stop();
  workerStopped_ = true;
}

int TFrmMain::RunMessageLoop() {
  window_->Show();
  window_->RunMessageLoop();
  // A window abandoned without closing (its input ended) still stops the worker.
  StopWorker();
  return closedOnFinish_ || runCompleted_ ? runtime_.CompletionExitCode() : kExitCancelled;
}

}  // namespace tailpack
