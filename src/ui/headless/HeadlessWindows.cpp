#include "ui/headless/HeadlessWindows.h"

#include "base/Text.h"
#include "ui/WindowDesign.h"

namespace tailpack {

namespace {

// A screen and a window frame of the usual sizes, so the geometry the wizard
// computes from them is that of a real window.
constexpr TSize kScreenSize{1024, 768};
constexpr int kFrameBorder = 3;
constexpr int kCaptionHeight = 22;

}  // namespace

THeadlessWizardWindow::THeadlessWizardWindow() : Bevel(kBevelBounds) {
  Area.Colour = kPageAreaDefaultColour;
  for (const TButtonDesign& design : kMainButtons) {
    auto button = std::make_unique<THeadlessControl>(TControlKind::Button, "", nullptr);
    button->State.Bounds = design.Bounds;
    button->State.Text = Wide(design.Caption);
    button->State.Visible = design.Visible;
    buttons_[static_cast<size_t>(design.Button)] = std::move(button);
  }
}

THeadlessWizardWindow::~THeadlessWizardWindow() = default;

void THeadlessWizardWindow::SetTitles(const std::u16string& applicationTitle, const std::u16string& caption) {
  ApplicationTitle = applicationTitle;
  Caption = caption;
}

THeadlessControl& THeadlessWizardWindow::ButtonControl(TWizardButton button) {
  return *buttons_[static_cast<size_t>(button)];
}

const THeadlessControl& THeadlessWizardWindow::ButtonControl(TWizardButton button) const {
  return *buttons_[static_cast<size_t>(button)];
}

void THeadlessWizardWindow::SetLanguageMenuChecked(size_t index, bool checked) {
  if (index < LanguageMenu.size()) LanguageMenu[index].Checked = checked;
}

void THeadlessWizardWindow::PopUpLanguageMenu(TPoint screenPoint) { MenuPoppedUpAt = screenPoint; }

TBounds THeadlessWizardWindow::WindowBounds() const {
  int width = kMainClientSize.Width + 2 * kFrameBorder;
  int height = kMainClientSize.Height + 2 * kFrameBorder + kCaptionHeight;
  return TBounds{(kScreenSize.Width - width) / 2, (kScreenSize.Height - height) / 2, width, height};
}

TSize THeadlessWizardWindow::ClientSize() const { return kMainClientSize; }

void THeadlessWizardWindow::Close() {
  if (Closed) return;
  ++CloseRequests;
  if (events_ && !events_->CloseQuery()) return;
  if (events_) events_->Closing();
  Closed = true;
}

void THeadlessWizardWindow::RunMessageLoop() {
  while (!Closed && !pending_.empty()) {
    auto action = std::move(pending_.front());
    pending_.pop_front();
    action();
  }
}

void THeadlessWizardWindow::ProcessMessages() {
  for (size_t count = pending_.size(); count > 0 && !pending_.empty(); --count) {
    auto action = std::move(pending_.front());
    pending_.pop_front();
    action();
  }
}

bool THeadlessWizardWindow::Click(TWizardButton button) {
  const THeadlessControl& control = ButtonControl(button);
  if (Closed || !control.State.Visible || !control.State.Enabled) return false;
  if (events_) events_->ButtonClick(button);
  return true;
}

void THeadlessWizardWindow::PickLanguage(size_t index) {
  if (events_ && index < LanguageMenu.size()) events_->LanguageItemClick(LanguageMenu[index].Tag);
}

}  // namespace tailpack
