#include "ui/terminal/TerminalWindows.h"

#include <algorithm>
#include <mutex>

#include "base/Text.h"
#include "platform/TextCase.h"
#include "ui/WindowDesign.h"
#include "ui/terminal/TerminalConsole.h"
#include "wizard/GradGauge.h"

namespace tailpack {

namespace {

std::u16string Number(size_t value) { return Wide(std::to_string(value)); }

bool IsShownAsText(TControlKind kind) {
  return kind == TControlKind::Label || kind == TControlKind::Panel || kind == TControlKind::Memo ||
         kind == TControlKind::RichEdit;
}

}  // namespace

TTerminalWizardWindow::TTerminalWizardWindow(std::shared_ptr<TTerminalConsole> console)
    : console_(std::move(console)) {
  // The uninstallation repaints instead of pumping messages. Both runs show
  // the status before they move the gauge: a page with a gauge prints when
  // the gauge is painted, so the line has both.
  Area.OnRepaint = [this] {
    if (!HasVisibleGauge()) ShowProgress();
  };
  Area.OnControlRepaint = [this](THeadlessControl& control) {
    if (control.Kind() == TControlKind::ProgressBar) ShowProgress();
  };
}

std::vector<THeadlessControl*> TTerminalWizardWindow::VisibleControls() const {
  std::vector<THeadlessControl*> controls;
  for (const auto& control : Area.Controls())
    if (control->State.Visible) controls.push_back(control.get());
  // Top to bottom, then left to right, as a reader scans the page.
  std::stable_sort(controls.begin(), controls.end(), [](const THeadlessControl* a, const THeadlessControl* b) {
    if (a->State.Bounds.Top != b->State.Bounds.Top) return a->State.Bounds.Top < b->State.Bounds.Top;
    return a->State.Bounds.Left < b->State.Bounds.Left;
  });
  return controls;
}

std::vector<THeadlessControl*> TTerminalWizardWindow::VisibleRadios() const {
  std::vector<THeadlessControl*> radios;
  for (THeadlessControl* control : VisibleControls())
    if (control->Kind() == TControlKind::Radio && control->State.Enabled) radios.push_back(control);
  return radios;
}

bool TTerminalWizardWindow::HasVisibleGauge() const {
  for (THeadlessControl* control : VisibleControls())
    if (control->Kind() == TControlKind::ProgressBar) return true;
  return false;
}

THeadlessControl* TTerminalWizardWindow::VisibleEdit() const {
  for (THeadlessControl* control : VisibleControls())
    if (control->Kind() == TControlKind::Edit && control->State.Enabled) return control;
  return nullptr;
}

std::u16string TTerminalWizardWindow::PageText() const {
  std::u16string text = u"==" + Caption + u" ==\r";
  size_t radioNumber = 0;
  for (const THeadlessControl* control : VisibleControls()) {
    const TControlState& state = control->State;
    switch (control->Kind()) {
      case TControlKind::Radio:
        text += u"  " + Number(++radioNumber) + (state.Checked ? u" (*) " : u" ( ) ") + state.Text + u"\r";
        break;
      case TControlKind::Edit:
        text += u"  [" + state.Text + u"]\r";
        break;
      case TControlKind::ProgressBar:
        if (TGradGauge* gauge = const_cast<THeadlessControl*>(control)->Gauge())
          text += u"  [" + Wide(gauge->Caption()) + u"]\r";
        break;
      default:
        if (IsShownAsText(control->Kind()) && !state.Text.empty()) text += state.Text + u"\r";
        break;
    }
  }
  std::u16string keys;
  auto offer = [&](TWizardButton button, const char16_t* key) {
    const TControlState& state = ButtonControl(button).State;
    if (!state.Visible || !state.Enabled) return;
    keys += (keys.empty() ? u"" : u"   ") + std::u16string(key) + u" " + state.Text;
  };
  offer(TWizardButton::Back, u"b:");
  offer(TWizardButton::Next, u"Enter:");
  offer(TWizardButton::Cancel, DefaultButton() == TWizardButton::Cancel ? u"Enter/q:" : u"q:");
  offer(TWizardButton::Language, u"l:");
  if (!VisibleRadios().empty()) keys += u"   1-" + Number(VisibleRadios().size()) + u": choose";
  if (VisibleEdit()) keys += u"   or type a folder";
  text += u"\r" + keys + u"\r";
  return text;
}

void TTerminalWizardWindow::PrintPage() {
  console_->WriteLine(u"");
  console_->Write(PageText());
  printed_.clear();
  for (const auto& control : Area.Controls()) printed_[control.get()] = control->State.Text;
  lastProgress_.clear();
}

void TTerminalWizardWindow::RunMessageLoop() {
  while (!IsClosed()) {
    // What is posted runs first; the page printed next shows its outcome.
    THeadlessWizardWindow::ProcessMessages();
    if (IsClosed()) break;
    PrintPage();
    console_->Write(u"> ");
    auto line = console_->ReadLine();
    if (!line) {
      console_->WriteLine(u"");
      // The end of the input closes the window as its close box would; a
      // window that still refuses is left, so the run cannot hang.
      Close();
      break;
    }
    HandleLine(*line);
  }
}

TWizardButton TTerminalWizardWindow::DefaultButton() const {
  return ButtonControl(TWizardButton::Next).State.Visible ? TWizardButton::Next : TWizardButton::Cancel;
}

bool TTerminalWizardWindow::Press(TWizardButton button) {
  if (Click(button)) return true;
  console_->WriteLine(u"That button cannot be pressed now.");
  return false;
}

void TTerminalWizardWindow::HandleLine(const std::string& line) {
  std::string typed = Trim(line);
  std::string lower = LowerAnsi(typed);
  if (typed.empty()) {
    Press(DefaultButton());
  } else if (lower == "b") {
    Press(TWizardButton::Back);
  } else if (lower == "l") {
    Press(TWizardButton::Language);
  } else if (lower == "q") {
    // Cancel, or the close box while Cancel cannot be pressed.
    if (!Click(TWizardButton::Cancel)) CloseBox();
  } else if (auto radios = VisibleRadios();
             !radios.empty() && std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    size_t number = typed.size() < 6 ? std::stoul(typed) : 0;
    if (number >= 1 && number <= radios.size()) radios[number - 1]->UserCheck();
    else console_->WriteLine(u"There is no choice " + Utf8ToUtf16(typed) + u".");
  } else if (THeadlessControl* edit = VisibleEdit()) {
    edit->UserType(Utf8ToUtf16(typed));
  } else {
    console_->WriteLine(u"Enter: next page, b: back, l: language, q: cancel.");
  }
}

void TTerminalWizardWindow::ProcessMessages() {
  THeadlessWizardWindow::ProcessMessages();
  ShowProgress();
}

void TTerminalWizardWindow::ShowProgress() {
  if (printed_.empty()) return;  // no page printed yet
  std::u16string progress;
  for (THeadlessControl* control : VisibleControls()) {
    auto printed = printed_.find(control);
    if (control->Kind() == TControlKind::ProgressBar) {
      if (TGradGauge* gauge = control->Gauge())
        if (gauge->Progress() != 0) progress += u" [" + Wide(gauge->Caption()) + u"]";
    } else if (IsShownAsText(control->Kind()) && printed != printed_.end() && printed->second != control->State.Text) {
      progress += (progress.empty() ? u"" : u" ") + control->State.Text;
    }
  }
  if (progress.empty() || progress == lastProgress_) return;
  lastProgress_ = progress;
  console_->ShowProgress(progress);
}

void TTerminalWizardWindow::PopUpLanguageMenu(TPoint screenPoint) {
  THeadlessWizardWindow::PopUpLanguageMenu(screenPoint);
  std::lock_guard guard(console_->Lock());
  console_->WriteLine(u"");
  for (size_t i = 0; i < LanguageMenu.size(); ++i)
    console_->WriteLine(u"  " + Number(i + 1) + (LanguageMenu[i].Checked ? u" (*) " : u" ( ) ") +
                        LanguageMenu[i].Caption);
  console_->Write(u"Language (Enter keeps it): ");
  auto line = console_->ReadLine();
  if (!line) return;
  std::string typed = Trim(*line);
  if (typed.empty() || typed.size() > 5 ||
      !std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return;
  size_t number = std::stoul(typed);
  if (number >= 1 && number <= LanguageMenu.size()) PickLanguage(number - 1);
}

void TTerminalDebugWindow::ShowModal(const std::vector<std::u16string>& lines) {
  std::lock_guard guard(console_->Lock());
  console_->WriteLine(u"== Debug ==");
  for (const std::u16string& line : lines) console_->WriteLine(line);
}

void TTerminalVerificationWindow::Show() { console_->WriteLine(Wide(kVerifyWaitText)); }

void TTerminalVerificationWindow::Repaint() {
  // Only a terminal shows the count as it runs; a log gets the last one.
  if (!console_->LiveOutput() || status_ == shown_) return;
  shown_ = status_;
  console_->ShowProgress(status_);
}

void TTerminalVerificationWindow::Close() {
  if (status_ != shown_ && !console_->LiveOutput()) console_->WriteLine(status_);
  console_->EndProgress();
}

}  // namespace tailpack
