#pragma once
// The user interface the setup program runs with on this platform: on
// Windows real windows (and, silent, windows that are never shown but real
// message boxes); elsewhere the terminal, or nothing at all when silent.

#include <memory>

#include "runtime/WizardInterface.h"

namespace tailpack {

std::unique_ptr<IUserInterface> MakeSetupUserInterface(bool silent);

}  // namespace tailpack
