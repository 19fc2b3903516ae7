#pragma once
// The user interface of an interactive run on a build without a window
// system: the wizard, its message boxes and the verification window in the
// terminal (TerminalWindows.h). While the object lives, message boxes of the
// whole program are asked in the terminal.

#include <iosfwd>
#include <memory>

#include "runtime/WizardInterface.h"
#include "wizard/WizardAssembly.h"

namespace tailpack {

class IMessageBoxes;
class TTerminalConsole;
class TTerminalMessageBoxes;

class TTerminalUserInterface final : public IUserInterface {
 public:
  // Reads the user's lines from In and prints to Out; LiveOutput tells that
  // Out is a terminal (progress is then rewritten in place).
  TTerminalUserInterface(std::istream& in, std::ostream& out, bool liveOutput, TWorkerFactory workerFactory = {});
  // On the process's standard input and output.
  TTerminalUserInterface();
  ~TTerminalUserInterface() override;
  TTerminalUserInterface(const TTerminalUserInterface&) = delete;
  TTerminalUserInterface& operator=(const TTerminalUserInterface&) = delete;

  std::unique_ptr<IVerificationWindow> CreateVerificationWindow() override;
  std::unique_ptr<IWizard> CreateWizard(TSetupRuntime& runtime) override;

 private:
  std::shared_ptr<TTerminalConsole> console_;
  std::unique_ptr<TTerminalMessageBoxes> boxes_;
  IMessageBoxes* savedBoxes_;
  TWorkerFactory workerFactory_;
};

}  // namespace tailpack
