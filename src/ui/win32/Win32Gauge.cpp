#include "ui/win32/Win32Gauge.h"

#include <vector>

#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {

namespace {

// The gradient bitmap of the model: one colour per row, as wide as the gauge.
TBitmapHandle GradientBitmap(HDC dc, const std::vector<uint32_t>& rows, int width) {
  const int height = static_cast<int>(rows.size());
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    COLORREF colour = ResolveColour(rows[static_cast<size_t>(y)]);
    // A DIB pixel is blue in the low byte.
    uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    std::fill(pixels + static_cast<size_t>(y) * width, pixels + static_cast<size_t>(y + 1) * width, pixel);
  }
  return bitmap;
}

}  // namespace

void PaintGaugePicture(HDC dc, POINT origin, const TGaugePicture& picture, int width, int height, HFONT font) {
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  IntersectClipRect(dc, 0, 0, width, height);

  // The frame: 1-pixel solid pen, no fill.
  if (picture.FrameIsRectangle) {
    TPenHandle pen(CreatePen(PS_SOLID, 1, ResolveColour(picture.FrameColour)));
    TSelection penSelection(dc, pen.Get());
    TSelection brushSelection(dc, GetStockObject(NULL_BRUSH));
    const TGaugeRect& r = picture.FrameRectangle;
    Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
  } else {
    for (const TGaugeLine& line : picture.FrameLines) {
      TPenHandle pen(CreatePen(PS_SOLID, 1, ResolveColour(line.Colour)));
      TSelection penSelection(dc, pen.Get());
      MoveToEx(dc, line.X1, line.Y1, nullptr);
      LineTo(dc, line.X2, line.Y2);
    }
  }

  if (picture.HasBar) {
    const TGaugeRect& r = picture.Bar;
    RECT bar{r.Left, r.Top, r.Right, r.Bottom};
    if (picture.SolidBar) {
      TBrushHandle brush(CreateSolidBrush(ResolveColour(picture.BarColour)));
      FillRect(dc, &bar, brush.Get());
    } else if (TBitmapHandle gradient = GradientBitmap(dc, picture.GradientRows, width)) {
      HDC source = CreateCompatibleDC(dc);
      {
        TSelection bitmapSelection(source, gradient.Get());
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, source, 0, 0, width,
                   static_cast<int>(picture.GradientRows.size()), SRCCOPY);
      }
      DeleteDC(source);
    }
  }

  if (picture.HasBackground) {
    // A filled rectangle without outline, as the frame's pen would leave it.
    TBrushHandle brush(CreateSolidBrush(ResolveColour(picture.BackColour)));
    TSelection brushSelection(dc, brush.Get());
    TSelection penSelection(dc, GetStockObject(NULL_PEN));
    const TGaugeRect& r = picture.Background;
    Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
  }

  TSelection fontSelection(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  std::wstring caption(picture.Caption.begin(), picture.Caption.end());
  RECT whole{0, 0, width, height};
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &whole,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

TWin32Gauge::TWin32Gauge(std::string name, TWin32PageArea& area)
    : TWin32WindowlessControl(TControlKind::ProgressBar, std::move(name), area), gauge_(std::make_unique<TGradGauge>()) {
  gauge_->SetBounds(bounds_.Width, bounds_.Height);
  gauge_->OnPaintNow = [this] { RepaintNow(); };
  gauge_->OnInvalidate = [this] { Invalidate(); };
}

TWin32Gauge::~TWin32Gauge() {
  gauge_->OnPaintNow = nullptr;
  gauge_->OnInvalidate = nullptr;
}

void TWin32Gauge::SetBounds(const TBounds& bounds) {
  TWin32WindowlessControl::SetBounds(bounds);
  gauge_->SetBounds(bounds.Width, bounds.Height);
}

void TWin32Gauge::Paint(HDC dc) {
  PaintGaugePicture(dc, POINT{bounds_.Left, bounds_.Top}, gauge_->Picture(), bounds_.Width, bounds_.Height,
                    FontHandle());
}

}  // namespace tailpack::win32
