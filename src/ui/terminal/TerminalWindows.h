#pragma once
// The wizard in a terminal, for interactive runs on a build without a window
// system: each page is printed (its visible texts, radio buttons, fields and
// the buttons that can be pressed) and one line of input is read per step:
// Enter for the default button (Next, or Finish on the last page), "b" for Back, "l" for the language menu, "q" for Cancel, a
// number to check a radio button, any other text into the page's field (the
// installation folder). Progress is printed while a run works.
// docs/wizard.md describes it for users.

#include <map>
#include <memory>
#include <string>

#include "runtime/WizardInterface.h"
#include "ui/headless/HeadlessWindows.h"

namespace tailpack {

class TTerminalConsole;

class TTerminalWizardWindow final : public THeadlessWizardWindow {
 public:
  explicit TTerminalWizardWindow(std::shared_ptr<TTerminalConsole> console);

  void PopUpLanguageMenu(TPoint screenPoint) override;
  // Prints a page, reads a line, acts on it; until the window closes or the
  // input ends (then the window is asked to close, as with its close box).
  void RunMessageLoop() override;
  // Prints what changed on the page while a run works.
  void ProcessMessages() override;

  // The page as the terminal shows it (also what tests read).
  std::u16string PageText() const;

 private:
  std::vector<THeadlessControl*> VisibleControls() const;
  std::vector<THeadlessControl*> VisibleRadios() const;
  THeadlessControl* VisibleEdit() const;
  bool HasVisibleGauge() const;
  void PrintPage();
  void HandleLine(const std::string& line);
  bool Press(TWizardButton button);
  // What Enter presses: Next, or where Next is gone (the finish page) the
  // Cancel button, which reads "Finish" there.
  TWizardButton DefaultButton() const;
  void ShowProgress();

  std::shared_ptr<TTerminalConsole> console_;
  // The texts of the page as printed, to tell what a run changes.
  std::map<const THeadlessControl*, std::u16string> printed_;
  std::u16string lastProgress_;
};

class TTerminalDebugWindow final : public IDebugWindow {
 public:
  explicit TTerminalDebugWindow(std::shared_ptr<TTerminalConsole> console) : console_(std::move(console)) {}
  void ShowModal(const std::vector<std::u16string>& lines) override;

 private:
  std::shared_ptr<TTerminalConsole> console_;
};

class TTerminalVerificationWindow final : public IVerificationWindow {
 public:
  explicit TTerminalVerificationWindow(std::shared_ptr<TTerminalConsole> console) : console_(std::move(console)) {}
  void Show() override;
  void SetStatus(const std::u16string& text) override { status_ = text; }
  void SetProgress(uint32_t, uint32_t) override {}
  void Repaint() override;
  void Close() override;

 private:
  std::shared_ptr<TTerminalConsole> console_;
  std::u16string status_;
  std::u16string shown_;
};

}  // namespace tailpack
