#include "ui/headless/HeadlessUserInterface.h"

#include "ui/headless/HeadlessWindows.h"

namespace tailpack {

THeadlessUserInterface::THeadlessUserInterface(TWorkerFactory workerFactory)
    : workerFactory_(std::move(workerFactory)) {}

std::unique_ptr<IVerificationWindow> THeadlessUserInterface::CreateVerificationWindow() {
  return std::make_unique<THeadlessVerificationWindow>();
}

std::unique_ptr<IWizard> THeadlessUserInterface::CreateWizard(TSetupRuntime& runtime) {
  return AssembleWizard(runtime, std::make_unique<THeadlessWizardWindow>(), std::make_unique<THeadlessDebugWindow>(),
                        workerFactory_);
}

}  // namespace tailpack
