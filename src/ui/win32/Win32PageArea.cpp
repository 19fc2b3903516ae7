#include "ui/win32/Win32PageArea.h"

#include <algorithm>

#include "platform/TextCase.h"
#include "ui/win32/Win32Controls.h"

namespace tailpack::win32 {

TWin32PageArea::TWin32PageArea(std::wstring richEditClass)
    : richEditClass_(std::move(richEditClass)), background_(CreateSolidBrush(RGB(255, 255, 255))) {}

TWin32PageArea::~TWin32PageArea() {
  // The controls' windows go before the page area's own.
  stacking_.clear();
  controls_.clear();
}

void TWin32PageArea::Create(HWND parent, const TBounds& bounds) {
  // Tab moves into the page's controls as into the window's own.
  CreateOwnWindow(L"TailpackPageArea", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                  L"", bounds.Left, bounds.Top, bounds.Width, bounds.Height, parent, nullptr);
}

IControl& TWin32PageArea::CreateControl(TControlKind kind, const std::string& name) {
  controls_.push_back(MakeWin32Control(kind, name, *this));
  TWin32Control& control = *controls_.back();
  if (control.IsWindowless()) {
    stacking_.push_back(&control);
    Invalidate(RECT{control.Bounds().Left, control.Bounds().Top, control.Bounds().Left + control.Bounds().Width,
                    control.Bounds().Top + control.Bounds().Height});
  }
  return control;
}

IControl* TWin32PageArea::FindControl(const std::string& name) {
  for (const auto& control : controls_)
    if (SameTextAnsi(control->Name(), name)) return control.get();
  return nullptr;
}

void TWin32PageArea::SetColour(uint32_t colour) {
  colour_ = ResolveColour(colour);
  background_ = TBrushHandle(CreateSolidBrush(colour_));
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWin32PageArea::RepaintNow() {
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWin32PageArea::Invalidate(const RECT& rect) {
  if (Handle()) InvalidateRect(Handle(), &rect, FALSE);
}

void TWin32PageArea::PaintRectNow(const RECT& rect) {
  if (!Handle() || !IsWindowVisible(Handle())) return;
  // Whatever was waiting for this rectangle is painted now too.
  ValidateRect(Handle(), &rect);
  TWindowDC dc(Handle());
  PaintRect(dc.Get(), rect);
}

void TWin32PageArea::SendToBack(const TWin32Control& control) {
  auto it = std::find(stacking_.begin(), stacking_.end(), &control);
  if (it == stacking_.end()) return;
  TWin32Control* moved = *it;
  stacking_.erase(it);
  stacking_.insert(stacking_.begin(), moved);
}

void TWin32PageArea::PaintRect(HDC target, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  TOffscreenCanvas canvas(target, width, height);
  HDC dc = canvas.Dc();
  // The canvas shows the page area's coordinates from the rectangle's corner.
  SetViewportOrgEx(dc, -rect.left, -rect.top, nullptr);
  FillRect(dc, &rect, background_.Get());
  for (TWin32Control* control : stacking_) {
    if (!control->Visible()) continue;
    TBounds b = control->Bounds();
    RECT bounds{b.Left, b.Top, b.Left + b.Width, b.Top + b.Height};
    RECT overlap;
    if (!IntersectRect(&overlap, &bounds, &rect)) continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, overlap.left, overlap.top, overlap.right, overlap.bottom);
    control->Paint(dc);
    RestoreDC(dc, saved);
  }
  SetViewportOrgEx(dc, 0, 0, nullptr);
  canvas.CopyTo(target, rect.left, rect.top);
}

TWin32Control* TWin32PageArea::ControlOfWindow(HWND window) const {
  for (const auto& control : controls_)
    if (control->Window() == window) return control.get();
  return nullptr;
}

LRESULT TWin32PageArea::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Handle(), &paint);
      PaintRect(dc, paint.rcPaint);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_COMMAND:
      if (TWin32Control* control = ControlOfWindow(reinterpret_cast<HWND>(lParam))) control->Command(HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (TWin32Control* control = ControlOfWindow(header->hwndFrom)) return control->Notify(header);
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (TWin32Control* control = ControlOfWindow(reinterpret_cast<HWND>(lParam)))
        if (auto brush = control->Colours(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(*brush);
      return TWin32Window::HandleMessage(message, wParam, lParam);
    default: return TWin32Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tailpack::win32
