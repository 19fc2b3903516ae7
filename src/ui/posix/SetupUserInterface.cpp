#include "ui/SetupUserInterface.h"

#include "ui/headless/HeadlessUserInterface.h"
#include "ui/terminal/TerminalUserInterface.h"

namespace tailpack {

std::unique_ptr<IUserInterface> MakeSetupUserInterface(bool silent) {
  if (silent) return std::make_unique<THeadlessUserInterface>();
  return std::make_unique<TTerminalUserInterface>();
}

}  // namespace tailpack
