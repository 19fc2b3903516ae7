#pragma once
// The real worker behind the wizard: the setup thread that walks the
// compiled script.

#include <memory>

#include "wizard/ScriptWorker.h"

namespace tailpack {

class TSetupRuntime;

// Starts the setup thread of the run; it idles until the patching page
// starts a walk.
std::unique_ptr<IScriptWorker> MakeSetupThreadWorker(TSetupRuntime& runtime);

}  // namespace tailpack
