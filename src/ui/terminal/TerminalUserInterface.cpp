#include "ui/terminal/TerminalUserInterface.h"

#include <iostream>

#include "platform/Terminal.h"
#include "system/MessageBoxes.h"
#include "ui/terminal/TerminalConsole.h"
#include "ui/terminal/TerminalMessageBoxes.h"
#include "ui/terminal/TerminalWindows.h"

namespace tailpack {

TTerminalUserInterface::TTerminalUserInterface(std::istream& in, std::ostream& out, bool liveOutput,
                                               TWorkerFactory workerFactory)
    : console_(std::make_shared<TTerminalConsole>(in, out, liveOutput)),
      boxes_(std::make_unique<TTerminalMessageBoxes>(console_)),
      savedBoxes_(InstalledMessageBoxes()),
      workerFactory_(std::move(workerFactory)) {
  SetMessageBoxes(*boxes_);
}

TTerminalUserInterface::TTerminalUserInterface()
    : TTerminalUserInterface(std::cin, std::cout, IsTerminal(TStandardStream::Output)) {}

TTerminalUserInterface::~TTerminalUserInterface() { SetMessageBoxes(savedBoxes_); }

std::unique_ptr<IVerificationWindow> TTerminalUserInterface::CreateVerificationWindow() {
  return std::make_unique<TTerminalVerificationWindow>(console_);
}

std::unique_ptr<IWizard> TTerminalUserInterface::CreateWizard(TSetupRuntime& runtime) {
  return AssembleWizard(runtime, std::make_unique<TTerminalWizardWindow>(console_),
                        std::make_unique<TTerminalDebugWindow>(console_), workerFactory_);
}

}  // namespace tailpack
