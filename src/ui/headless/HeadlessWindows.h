#pragma once
// The program's windows without a screen: the wizard's main window, the debug
// window and the verification window keep what they are told in plain fields.
// The main window's "message loop" runs actions queued with Post, so a test
// scripts a user (clicks, typing, closing) and then runs the loop.

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/WizardInterface.h"
#include "ui/headless/HeadlessControls.h"
#include "wizard/Widgets.h"

namespace tailpack {

class THeadlessWizardWindow : public IWizardWindow {
 public:
  THeadlessWizardWindow();
  ~THeadlessWizardWindow() override;

  void SetEvents(IWizardEvents* events) override { events_ = events; }
  void SetTitles(const std::u16string& applicationTitle, const std::u16string& caption) override;
  IPageArea& PageArea() override { return Area; }
  IControl& Button(TWizardButton button) override { return ButtonControl(button); }
  void SetLanguageMenu(const std::vector<TMenuItem>& items) override { LanguageMenu = items; }
  void SetLanguageMenuChecked(size_t index, bool checked) override;
  void PopUpLanguageMenu(TPoint screenPoint) override;
  TBounds WindowBounds() const override;
  TSize ClientSize() const override;
  void Show() override { Shown = true; }
  void Close() override;
  bool IsClosed() const override { return Closed; }
  // Runs the posted actions in order until the window is closed or none is
  // left (then the window is left as it is, open).
  void RunMessageLoop() override;
  // Runs the actions posted so far.
  void ProcessMessages() override;

  // --- State ------------------------------------------------------------------
  THeadlessPageArea Area;
  std::u16string ApplicationTitle;
  std::u16string Caption;
  bool Shown = false;
  bool Closed = false;
  int CloseRequests = 0;
  TBounds Bevel;
  std::vector<TMenuItem> LanguageMenu;
  // Where the language menu last popped up.
  std::optional<TPoint> MenuPoppedUpAt;
  THeadlessControl& ButtonControl(TWizardButton button);
  const THeadlessControl& ButtonControl(TWizardButton button) const;

  // --- What a user does -------------------------------------------------------
  // Clicks a button if it is visible and enabled; false when it could not be.
  bool Click(TWizardButton button);
  // Picks the language menu's item at Index.
  void PickLanguage(size_t index);
  // The window's close box.
  void CloseBox() { Close(); }
  // Queues an action for the message loop.
  void Post(std::function<void()> action) { pending_.push_back(std::move(action)); }

 protected:
  IWizardEvents* Events() const { return events_; }
  bool HasPending() const { return !pending_.empty(); }

 private:
  IWizardEvents* events_ = nullptr;
  std::array<std::unique_ptr<THeadlessControl>, 5> buttons_;
  std::deque<std::function<void()>> pending_;
};

class THeadlessDebugWindow final : public IDebugWindow {
 public:
  void ShowModal(const std::vector<std::u16string>& lines) override {
    Lines = lines;
    ++ShownCount;
  }
  std::vector<std::u16string> Lines;
  int ShownCount = 0;
};

class THeadlessVerificationWindow final : public IVerificationWindow {
 public:
  void Show() override { Shown = true; }
  void SetStatus(const std::u16string& text) override { Status = text; }
  void SetProgress(uint32_t position, uint32_t maximum) override {
    Position = position;
    Maximum = maximum;
  }
  void Repaint() override { ++Repaints; }
  void Close() override { Closed = true; }

  bool Shown = false;
  bool Closed = false;
  std::u16string Status;
  uint32_t Position = 0;
  uint32_t Maximum = 100;
  int Repaints = 0;
};

}  // namespace tailpack
