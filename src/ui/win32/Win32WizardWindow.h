#pragma once
// The wizard's main window: the page area above a separating line, the
// language button with its pop-up menu, the hidden Debug button and Back,
// Next and Cancel. Tab, Enter (Next) and Escape (Cancel) work as in a dialog.
// The message loop runs until the window closes; ProcessMessages lets a run
// keep the window alive while it waits for the worker thread.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/Win32Gdi.h"
#include "ui/win32/Win32PageArea.h"
#include "ui/win32/Win32Window.h"
#include "wizard/Widgets.h"

namespace tailpack::win32 {

class TWin32WizardButton;

class TWin32WizardWindow final : public IWizardWindow, public TWin32Window {
 public:
  explicit TWin32WizardWindow(std::wstring richEditClass);
  ~TWin32WizardWindow() override;

  void SetEvents(IWizardEvents* events) override { events_ = events; }
  void SetTitles(const std::u16string& applicationTitle, const std::u16string& caption) override;
  IPageArea& PageArea() override { return pageArea_; }
  IControl& Button(TWizardButton button) override;
  void SetLanguageMenu(const std::vector<TMenuItem>& items) override;
  void SetLanguageMenuChecked(size_t index, bool checked) override;
  void PopUpLanguageMenu(TPoint screenPoint) override;
  TBounds WindowBounds() const override;
  TSize ClientSize() const override;
  void Show() override;
  void Close() override;
  bool IsClosed() const override { return closed_; }
  void RunMessageLoop() override;
  void ProcessMessages() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A click from the user on a button that can be clicked.
  void Click(TWizardButton button);
  bool Dispatch(MSG& message);

  IWizardEvents* events_ = nullptr;
  TWin32PageArea pageArea_;
  std::array<std::unique_ptr<TWin32WizardButton>, 5> buttons_;
  HMENU languageMenu_ = nullptr;
  std::vector<TMenuItem> menuItems_;
  TFontHandle font_;
  bool closed_ = false;
};

}  // namespace tailpack::win32
