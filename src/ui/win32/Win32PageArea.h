#pragma once
// The white panel of the main window on which every page's controls are
// created. It owns the controls, paints the windowless ones in their
// stacking order over its colour (off screen first, so nothing flickers),
// and hands the child windows their notifications and colours.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/Win32Gdi.h"
#include "ui/win32/Win32Window.h"
#include "wizard/Widgets.h"

namespace tailpack::win32 {

class TWin32Control;

class TWin32PageArea final : public IPageArea, public TWin32Window {
 public:
  // RichEditClass: the window class of rich edits, as the loaded library names it.
  explicit TWin32PageArea(std::wstring richEditClass);
  ~TWin32PageArea() override;

  void Create(HWND parent, const TBounds& bounds);

  IControl& CreateControl(TControlKind kind, const std::string& name) override;
  IControl* FindControl(const std::string& name) override;
  void SetColour(uint32_t colour) override;
  void RepaintNow() override;

  COLORREF Colour() const { return colour_; }
  HBRUSH BackgroundBrush() const { return background_.Get(); }
  const std::wstring& RichEditClass() const { return richEditClass_; }
  // Repaints a rectangle at the next paint, and at once.
  void Invalidate(const RECT& rect);
  void PaintRectNow(const RECT& rect);
  // Moves a windowless control to the bottom of the stacking order.
  void SendToBack(const TWin32Control& control);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TWin32Control* ControlOfWindow(HWND window) const;
  void PaintRect(HDC target, const RECT& rect);

  std::wstring richEditClass_;
  COLORREF colour_ = RGB(255, 255, 255);
  TBrushHandle background_;
  std::vector<std::unique_ptr<TWin32Control>> controls_;
  // The windowless controls, bottom first.
  std::vector<TWin32Control*> stacking_;
};

}  // namespace tailpack::win32
