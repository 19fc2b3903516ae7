// The gauge as GDI paints it: frame, bar, gradient rows and background at
// the pixels its model names, in the right colour order.

#include <gtest/gtest.h>

#include <windows.h>

#include "ui/win32/Win32Gauge.h"
#include "wizard/GradGauge.h"

namespace tailpack::win32 {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // red in the low byte
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kWhite = 0xFFFFFF;

// A 32-bit canvas of the gauge's size, filled with green before painting.
class TCanvas {
 public:
  TCanvas(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) pixels_[i] = 0x00FF00;  // green
  }
  ~TCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  // The pixel as a layout colour (red in the low byte).
  uint32_t At(int x, int y) const {
    GdiFlush();
    uint32_t pixel = pixels_[y * width_ + x];
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  uint32_t* pixels_ = nullptr;
};

void Paint(const TGradGauge& gauge, TCanvas& canvas) {
  PaintGaugePicture(canvas.Dc(), POINT{0, 0}, gauge.Picture(), gauge.Width(), gauge.Height(),
                    static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

TEST(Win32Gauge, FrameBarAndBackgroundLieWhereTheModelPutsThem) {
  TGradGauge gauge;
  gauge.SetBounds(100, 20);
  gauge.SetBorderColor(kBlue);
  gauge.SetColor1(kRed);
  gauge.SetColor2(kRed);
  gauge.SetBackcolor(kWhite);
  gauge.SetProgress(50);  // a bar of (100 - 3) * 50 / 100 = 48 pixels, from x = 2
  TCanvas canvas(100, 20);
  Paint(gauge, canvas);

  EXPECT_EQ(canvas.At(0, 0), kGreen);  // outside the frame
  EXPECT_EQ(canvas.At(1, 1), kBlue);   // the frame's corner
  EXPECT_EQ(canvas.At(99, 19), kBlue);
  EXPECT_EQ(canvas.At(2, 2), kRed);    // the bar
  EXPECT_EQ(canvas.At(49, 2), kRed);
  EXPECT_EQ(canvas.At(50, 2), kWhite);  // the background right after it
  EXPECT_EQ(canvas.At(98, 18), kWhite);
}

TEST(Win32Gauge, TheGradientRunsFromColor1AtTheTopTowardColor2) {
  TGradGauge gauge;
  gauge.SetBounds(60, 20);
  gauge.SetColor1(kRed);
  gauge.SetColor2(kBlue);
  gauge.SetProgress(100);  // full: no background
  TCanvas canvas(60, 20);
  Paint(gauge, canvas);

  // 15 gradient rows scaled into the bar's 17; the last row is 14/15 of the way.
  EXPECT_EQ(canvas.At(5, 2), kRed);
  EXPECT_EQ(canvas.At(5, 18), TGradGauge::GradientRows(kRed, kBlue, 15).back());
  EXPECT_EQ(TGradGauge::GradientRows(kRed, kBlue, 15).back(), 0xEE0011u);
}

}  // namespace
}  // namespace tailpack::win32
