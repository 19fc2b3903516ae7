#pragma once
// The progress bar of the pages: the gauge model (wizard/GradGauge.h)
// painted with GDI exactly as its picture says. A position change paints at
// once, without waiting for the message loop, so the bar moves while the
// window thread is busy (the uninstallation does not pump messages).

#include <memory>

#include "ui/win32/Win32Controls.h"
#include "wizard/GradGauge.h"

namespace tailpack::win32 {

class TWin32Gauge final : public TWin32WindowlessControl {
 public:
  TWin32Gauge(std::string name, TWin32PageArea& area);
  ~TWin32Gauge() override;

  TGradGauge* Gauge() override { return gauge_.get(); }
  void SetBounds(const TBounds& bounds) override;
  void Paint(HDC dc) override;

 private:
  std::unique_ptr<TGradGauge> gauge_;
};

// Draws a gauge's picture with its top-left corner at Origin.
void PaintGaugePicture(HDC dc, POINT origin, const TGaugePicture& picture, int width, int height, HFONT font);

}  // namespace tailpack::win32
