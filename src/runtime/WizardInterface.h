#pragma once
// What start-up needs of the user interface, so the loading code does not
// depend on a toolkit: the verification window it drives while it checks the
// archive, and the wizard it hands over to at the end.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tailpack {

class TSetupRuntime;

// The small "Verifying Contents" window.
class IVerificationWindow {
 public:
  virtual ~IVerificationWindow() = default;
  virtual void Show() = 0;
  virtual void SetStatus(const std::u16string& text) = 0;
  virtual void SetProgress(uint32_t position, uint32_t maximum) = 0;
  // Paints at once; start-up does not pump messages while it verifies.
  virtual void Repaint() = 0;
  virtual void Close() = 0;
};

// The wizard window (hidden until SetPagesUp shows its first page).
class IWizard {
 public:
  virtual ~IWizard() = default;
  // Builds the pages once the archive, setup information and languages are loaded.
  virtual void SetPagesUp() = 0;
  // The Next button. In silent mode start-up presses it again and again; the
  // run then ends inside it (the completion step ends the process).
  virtual void NextButtonClick() = 0;
  // Runs the window until it closes; returns the process's exit code.
  virtual int RunMessageLoop() = 0;
  // In silent mode, asked after every Next: the exit code once the run has
  // ended and start-up may return it; nothing while pages remain. A wizard
  // that ends the process itself in its completion step never answers.
  virtual std::optional<int> SilentResult() { return std::nullopt; }
};

// Makes the user interface of one run: the backend chosen by the program.
class IUserInterface {
 public:
  virtual ~IUserInterface() = default;
  virtual std::unique_ptr<IVerificationWindow> CreateVerificationWindow() = 0;
  virtual std::unique_ptr<IWizard> CreateWizard(TSetupRuntime& runtime) = 0;
};

}  // namespace tailpack
