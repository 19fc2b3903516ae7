#include "ui/win32/Win32Gdi.h"

namespace tailpack::win32 {

COLORREF ResolveColour(uint32_t colour) {
  if ((colour & 0xFF000000u) == 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

std::wstring WithCrLf(const std::u16string& text) {
  std::wstring result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    result.push_back(static_cast<wchar_t>(text[i]));
    if (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')) result.push_back(L'\n');
  }
  return result;
}

std::u16string WithoutLf(const std::wstring& text) {
  std::u16string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && i > 0 && text[i - 1] == L'\r') continue;
    result.push_back(static_cast<char16_t>(text[i]));
  }
  return result;
}

TFontHandle MakeFont(const TFont& font) {
  TWindowDC screen(nullptr);
  LOGFONTW description{};
  description.lfHeight = -MulDiv(font.Size, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  description.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = DEFAULT_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::wstring face(font.Face.begin(), font.Face.end());
  lstrcpynW(description.lfFaceName, face.c_str(), LF_FACESIZE);
  return TFontHandle(CreateFontIndirectW(&description));
}

TOffscreenCanvas::TOffscreenCanvas(HDC target, int width, int height)
    : dc_(CreateCompatibleDC(target)),
      bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)),
      width_(width),
      height_(height) {
  if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_.Get());
}

TOffscreenCanvas::~TOffscreenCanvas() {
  if (previous_) SelectObject(dc_, previous_);
  if (dc_) DeleteDC(dc_);
}

void TOffscreenCanvas::CopyTo(HDC target, int x, int y) const {
  if (dc_ && bitmap_) BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace tailpack::win32
