#include "ui/win32/Win32UserInterface.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/Com.h"
#include "system/MessageBoxes.h"
#include "ui/headless/HeadlessWindows.h"
#include "ui/win32/GdiPlus.h"
#include "ui/win32/Win32MessageBoxes.h"
#include "ui/win32/Win32Windows.h"
#include "ui/win32/Win32WizardWindow.h"
#include "wizard/WizardAssembly.h"

namespace tailpack::win32 {

TWin32UserInterface::TWin32UserInterface(bool silent, TWorkerFactory workerFactory)
    : silent_(silent),
      workerFactory_(std::move(workerFactory)),
      boxes_(std::make_unique<TWin32MessageBoxes>()),
      savedBoxes_(InstalledMessageBoxes()) {
  SetMessageBoxes(*boxes_);
  if (silent_) return;
  // The shell's folder tree and icons want COM on this thread.
  com_ = std::make_unique<TComInitialisation>();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  gdiPlus_ = std::make_unique<TGdiPlusSession>();
  // The newer rich edit where the system has it; both from the system folder.
  richEditLibrary_ = LoadSystemLibrary(L"msftedit.dll");
  if (richEditLibrary_) {
    richEditClass_ = L"RICHEDIT50W";
  } else {
    richEditLibrary_ = LoadSystemLibrary(L"riched20.dll");
    richEditClass_ = L"RichEdit20W";
  }
}

TWin32UserInterface::~TWin32UserInterface() {
  SetMessageBoxes(savedBoxes_);
  gdiPlus_.reset();
  if (richEditLibrary_) FreeLibrary(richEditLibrary_);
}

std::unique_ptr<IVerificationWindow> TWin32UserInterface::CreateVerificationWindow() {
  if (silent_) return std::make_unique<THeadlessVerificationWindow>();
  return std::make_unique<TWin32VerificationWindow>();
}

std::unique_ptr<IWizard> TWin32UserInterface::CreateWizard(TSetupRuntime& runtime) {
  if (silent_)
    return AssembleWizard(runtime, std::make_unique<THeadlessWizardWindow>(), std::make_unique<THeadlessDebugWindow>(),
                          workerFactory_);
  auto window = std::make_unique<TWin32WizardWindow>(richEditClass_);
  auto debugWindow = std::make_unique<TWin32DebugWindow>(richEditClass_, window->Handle());
  return AssembleWizard(runtime, std::move(window), std::move(debugWindow), workerFactory_);
}

}  // namespace tailpack::win32
