#pragma once
// Message boxes of the system (MessageBoxW) with the buttons, icon, caption
// and owner each caller names: most stand on their own, the wizard's
// question before closing is modal to the wizard. When TAILPACK_ANSWERS is
// set, the boxes are answered from it instead (as in a run without a
// screen), so scripted runs never wait for a person.

#include <windows.h>

#include <memory>

#include "system/MessageBoxes.h"

namespace tailpack {
class THeadlessMessageBoxes;
}

namespace tailpack::win32 {

class TWin32MessageBoxes final : public IMessageBoxes {
 public:
  TWin32MessageBoxes();
  ~TWin32MessageBoxes() override;
  TMessageResult Show(const std::u16string& text, const std::u16string& caption, TMessageButtons buttons,
                      TMessageIcon icon, TMessageOwner owner = TMessageOwner::None) override;

 private:
  std::unique_ptr<THeadlessMessageBoxes> scripted_;
};

// The window that owns the boxes of TMessageOwner::Wizard (none: no owner).
void SetWizardOwnerWindow(HWND window);

}  // namespace tailpack::win32
