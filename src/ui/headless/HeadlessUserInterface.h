#pragma once
// The user interface without a screen, for silent runs (and tests): every
// window keeps its state in plain fields, message boxes are answered from the
// scripted queue (TAILPACK_ANSWERS) and printed to standard error.

#include <memory>

#include "runtime/WizardInterface.h"
#include "wizard/WizardAssembly.h"

namespace tailpack {

class THeadlessUserInterface final : public IUserInterface {
 public:
  explicit THeadlessUserInterface(TWorkerFactory workerFactory = {});
  std::unique_ptr<IVerificationWindow> CreateVerificationWindow() override;
  std::unique_ptr<IWizard> CreateWizard(TSetupRuntime& runtime) override;

 private:
  TWorkerFactory workerFactory_;
};

}  // namespace tailpack
