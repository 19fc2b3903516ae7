#include "ui/SetupUserInterface.h"

#include "ui/win32/Win32UserInterface.h"

namespace tailpack {

std::unique_ptr<IUserInterface> MakeSetupUserInterface(bool silent) {
  return std::make_unique<win32::TWin32UserInterface>(silent);
}

}  // namespace tailpack
