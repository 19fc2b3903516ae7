#include "wizard/SetupThreadWorker.h"

#include "runtime/SetupThread.h"

namespace tailpack {

namespace {

class TSetupThreadWorker final : public IScriptWorker {
 public:
  explicit TSetupThreadWorker(TSetupRuntime& runtime) : thread_(runtime) {}
  void StartWalk() override { thread_.StartWalk(); }
  bool Running() const override { return thread_.Running; }
  void Stop() override {
    thread_.RequestStop();
    thread_.WaitFor();
  }

 private:
  TSetupThread thread_;
};

}  // namespace

std::unique_ptr<IScriptWorker> MakeSetupThreadWorker(TSetupRuntime& runtime) {
  return std::make_unique<TSetupThreadWorker>(runtime);
}

}  // namespace tailpack
