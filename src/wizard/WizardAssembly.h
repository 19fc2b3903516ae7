#pragma once
// The one place that puts a run's wizard together, whatever the backend: the
// wizard controller driving the backend's windows, with the worker thread
// that runs the script. A backend brings only its windows.

#include <functional>
#include <memory>

#include "runtime/WizardInterface.h"
#include "wizard/ScriptWorker.h"
#include "wizard/Widgets.h"

namespace tailpack {

// Makes the worker of a run; tests hand in scripted ones.
using TWorkerFactory = std::function<std::unique_ptr<IScriptWorker>(TSetupRuntime&)>;

// The wizard of Runtime in the windows given, with the worker WorkerFactory
// makes, or the setup thread when it is empty.
std::unique_ptr<IWizard> AssembleWizard(TSetupRuntime& runtime, std::unique_ptr<IWizardWindow> window,
                                        std::unique_ptr<IDebugWindow> debugWindow,
                                        const TWorkerFactory& workerFactory = {});

}  // namespace tailpack
