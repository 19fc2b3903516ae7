#include "ui/headless/HeadlessUserInterface.h"

#include "ui/headless/HeadlessWindows.h"
#include "wizard/FrmMain.h"
#include "wizard/SetupThreadWorker.h"

namespace tailpack {

THeadlessUserInterface::THeadlessUserInterface(TWorkerFactory workerFactory)
    : workerFactory_(workerFactory ? std::move(workerFactory) : TWorkerFactory(MakeSetupThreadWorker)) {}

std::unique_ptr<IVerificationWindow> THeadlessUserInterface::CreateVerificationWindow() {
  return std::make_unique<THeadlessVerificationWindow>();
}

std::unique_ptr<IWizard> THeadlessUserInterface::CreateWizard(TSetupRuntime& runtime) {
  return std::make_unique<TFrmMain>(runtime, std::make_unique<THeadlessWizardWindow>(),
                                    std::make_unique<THeadlessDebugWindow>(), workerFactory_(runtime));
}

}  // namespace tailpack
