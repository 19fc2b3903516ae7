#pragma once
// The user interface of the Windows build: the verification window, the
// wizard in a real window (Win32WizardWindow.h) and the system's message
// boxes. A silent run shows no windows: the wizard's windows are headless
// ones, while its message boxes stay real. While the object lives, message
// boxes of the whole program are the system's.

#include <windows.h>

#include <memory>
#include <string>

#include "runtime/WizardInterface.h"
#include "system/MessageBoxes.h"
#include "wizard/WizardAssembly.h"

namespace tailpack::win32 {

class TComInitialisation;
class TGdiPlusSession;
class TWin32MessageBoxes;

class TWin32UserInterface final : public IUserInterface {
 public:
  explicit TWin32UserInterface(bool silent, TWorkerFactory workerFactory = {});
  ~TWin32UserInterface() override;
  TWin32UserInterface(const TWin32UserInterface&) = delete;
  TWin32UserInterface& operator=(const TWin32UserInterface&) = delete;

  std::unique_ptr<IVerificationWindow> CreateVerificationWindow() override;
  std::unique_ptr<IWizard> CreateWizard(TSetupRuntime& runtime) override;

 private:
  bool silent_;
  TWorkerFactory workerFactory_;
  std::unique_ptr<TComInitialisation> com_;
  std::unique_ptr<TGdiPlusSession> gdiPlus_;
  std::unique_ptr<TWin32MessageBoxes> boxes_;
  IMessageBoxes* savedBoxes_;
  std::wstring richEditClass_;
  HMODULE richEditLibrary_ = nullptr;
};

}  // namespace tailpack::win32
