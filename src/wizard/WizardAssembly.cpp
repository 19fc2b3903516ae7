#include "wizard/WizardAssembly.h"

#include "wizard/FrmMain.h"
#include "wizard/SetupThreadWorker.h"

namespace tailpack {

std::unique_ptr<IWizard> AssembleWizard(TSetupRuntime& runtime, std::unique_ptr<IWizardWindow> window,
                                        std::unique_ptr<IDebugWindow> debugWindow,
                                        const TWorkerFactory& workerFactory) {
  std::unique_ptr<IScriptWorker> worker = workerFactory ? workerFactory(runtime) : MakeSetupThreadWorker(runtime);
  return std::make_unique<TFrmMain>(runtime, std::move(window), std::move(debugWindow), std::move(worker));
}

}  // namespace tailpack
