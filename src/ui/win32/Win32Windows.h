#pragma once
// The program's two small windows: the verification window that start-up
// drives while it checks the archive (it does not pump messages, so every
// change is painted at once), and the developer's debug window, shown
// modally over the wizard.

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/WizardInterface.h"
#include "ui/win32/Win32Gdi.h"
#include "ui/win32/Win32Window.h"
#include "wizard/Widgets.h"

namespace tailpack::win32 {

class TWin32VerificationWindow final : public IVerificationWindow, public TWin32Window {
 public:
  TWin32VerificationWindow();
  void Show() override;
  void SetStatus(const std::u16string& text) override;
  void SetProgress(uint32_t position, uint32_t maximum) override;
  void Repaint() override;
  void Close() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TFontHandle font_;
  HWND status_ = nullptr;
  HWND progress_ = nullptr;
};

class TWin32DebugWindow final : public IDebugWindow, public TWin32Window {
 public:
  // Owner: the window that is disabled while this one is shown (may be null).
  TWin32DebugWindow(std::wstring richEditClass, HWND owner);
  void ShowModal(const std::vector<std::u16string>& lines) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::wstring richEditClass_;
  HWND owner_;
  TFontHandle font_;
  HWND text_ = nullptr;
  bool shown_ = false;
};

// Processes the messages waiting for this thread's windows (paints among them).
void PumpPendingMessages();

}  // namespace tailpack::win32
