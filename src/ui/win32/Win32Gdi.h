#pragma once
// Small owners and helpers for drawing with GDI: colours of the layouts,
// fonts made from the widget interface's TFont, GDI objects deleted when
// they go, and an off-screen canvas that paints without flicker.

#include <windows.h>

#include <string>
#include <utility>

#include "wizard/Widgets.h"

namespace tailpack::win32 {

// A layout colour (red in the low byte, as a COLORREF) with the system
// colours (high byte 0x80, the index in the low byte) resolved to their RGB.
COLORREF ResolveColour(uint32_t colour);

// The wide form of a text shown to people (UTF-16 on both sides).
inline std::wstring ToWideText(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWideText(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
// Edit controls break lines only at CR LF; the widgets use a CR alone.
std::wstring WithCrLf(const std::u16string& text);
std::u16string WithoutLf(const std::wstring& text);

// Any GDI object (font, brush, pen, bitmap), deleted with DeleteObject.
template <typename THandle>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(THandle handle) : handle_(handle) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  THandle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(THandle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  THandle handle_ = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TPenHandle = TGdiObject<HPEN>;
using TBitmapHandle = TGdiObject<HBITMAP>;

// The font of a TFont: face, size in points at the screen's resolution, bold.
TFontHandle MakeFont(const TFont& font);

// A window's device context for painting outside WM_PAINT.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back when it goes.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~TSelection() { SelectObject(dc_, previous_); }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory DC with a bitmap of the given size: paint into Dc(), then
// CopyTo puts the whole picture on the target at once.
class TOffscreenCanvas {
 public:
  TOffscreenCanvas(HDC target, int width, int height);
  ~TOffscreenCanvas();
  TOffscreenCanvas(const TOffscreenCanvas&) = delete;
  TOffscreenCanvas& operator=(const TOffscreenCanvas&) = delete;
  HDC Dc() const { return dc_; }
  void CopyTo(HDC target, int x, int y) const;

 private:
  HDC dc_;
  TBitmapHandle bitmap_;
  HGDIOBJ previous_ = nullptr;
  int width_;
  int height_;
};

}  // namespace tailpack::win32
