#include "wizard/GradGauge.h"

#include <cmath>

namespace tailpack {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

}  // namespace

TGradGauge::TGradGauge() = default;

int TGradGauge::Percent() const {
  if (max_ == min_) return 0;
  double fraction = static_cast<double>(progress_ - min_) / static_cast<double>(max_ - min_) * 100.0;
  return static_cast<int>(std::nearbyint(fraction));  // the default rounding mode: ties to even
}

std::vector<uint32_t> TGradGauge::GradientRows(uint32_t color1, uint32_t color2, int height) {
  std::vector<uint32_t> rows;
  if (height <= 0) return rows;
  rows.reserve(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    uint32_t colour = 0;
    for (int shift : {0, 8, 16}) {
      auto start = static_cast<int64_t>(Channel(color1, shift));
      int64_t delta = static_cast<int64_t>(Channel(color2, shift)) - start;
      int64_t value = start + delta * y / height;  // truncates toward zero
      colour |= (static_cast<uint32_t>(value) & 0xFF) << shift;
    }
    rows.push_back(colour);
  }
  return rows;
}

TGaugePicture TGradGauge::Picture() const {
  TGaugePicture picture;
  const int w = width_;
  const int h = height_;
  switch (borderStyle_) {
    case TggBorderStyle::ggSolid:
      picture.FrameIsRectangle = true;
      picture.FrameRectangle = TGaugeRect{1, 1, w, h};
      picture.FrameColour = borderColor_;
      break;
    case TggBorderStyle::ggRaised:
    case TggBorderStyle::ggLowered: {
      bool raised = borderStyle_ == TggBorderStyle::ggRaised;
      uint32_t light = raised ? kWhite : borderColor_;
      uint32_t dark = raised ? borderColor_ : kWhite;
      picture.FrameIsRectangle = false;
      picture.FrameLines = {TGaugeLine{1, h, 1, 1, light}, TGaugeLine{1, 1, w - 1, 1, light},
                            TGaugeLine{w - 1, 1, w - 1, h - 1, dark}, TGaugeLine{w - 1, h - 1, 0, h - 1, dark}};
      break;
    }
  }
  picture.Percent = Percent();
  int barWidth = (w - 3) * picture.Percent / 100;
  if (barWidth != 0) {
    picture.HasBar = true;
    picture.Bar = TGaugeRect{2, 2, 2 + barWidth, h - 1};
    picture.SolidBar = color1_ == color2_;
    picture.BarColour = color1_;
    if (!picture.SolidBar) picture.GradientRows = GradientRows(color1_, color2_, h - 5);
  }
  if (picture.Percent < 100) {
    picture.HasBackground = true;
    picture.Background = TGaugeRect{2 + barWidth, 2, w, h};
    picture.BackColour = backcolor_;
  }
  picture.Caption = caption_;
  return picture;
}

void TGradGauge::ApplyAutoCaption() {
  if (!autocaption_) return;
  // Max / 100 > 0 exactly when Max > 0. The percentage is computed in whole
  // numbers: dividing by (Max - Min) / 100 in floating point shows a full
  // bar of 7 steps as 99%.
  if (max_ > 0) {
    int64_t range = static_cast<int64_t>(max_) - min_;
    int64_t percent = (static_cast<int64_t>(progress_) - min_) * 100 / range;  // truncates toward zero
    caption_ = std::to_string(percent) + "%";
  } else {
    caption_ = "0%";
  }
}

void TGradGauge::SetProgress(int32_t value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  if (value == progress_ && !forceRefresh_) return;
  progress_ = value;
  ApplyAutoCaption();
  forceRefresh_ = false;
  PaintNow();
}

void TGradGauge::ForceRefresh() {
  forceRefresh_ = true;
  SetProgress(progress_);
}

void TGradGauge::SetMin(int32_t value) {
  if (value == min_ || value >= max_) return;
  min_ = value;
  if (progress_ < min_) progress_ = min_;
  if (autocaption_) ForceRefresh();
  Invalidate();
}

void TGradGauge::SetMax(int32_t value) {
  if (value == max_ || value <= min_) return;
  max_ = value;
  if (progress_ > max_) progress_ = max_;
  if (autocaption_) ForceRefresh();
  Invalidate();
}

void TGradGauge::SetAutocaption(bool value) {
  if (value == autocaption_) return;
  autocaption_ = value;
  if (autocaption_) ForceRefresh();
  Invalidate();
}

void TGradGauge::SetCaption(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  PaintNow();
}

void TGradGauge::SetColor1(uint32_t colour) {
  if (colour == color1_) return;
  color1_ = colour;
  Invalidate();
}

void TGradGauge::SetColor2(uint32_t colour) {
  if (colour == color2_) return;
  color2_ = colour;
  Invalidate();
}

void TGradGauge::SetBackcolor(uint32_t colour) {
  if (colour == backcolor_) return;
  backcolor_ = colour;
  Invalidate();
}

void TGradGauge::SetBorderColor(uint32_t colour) {
  if (colour == borderColor_) return;
  borderColor_ = colour;
  Invalidate();
}

void TGradGauge::SetBorderStyle(TggBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Invalidate();
}

void TGradGauge::SetBounds(int width, int height) {
  width_ = width;
  height_ = height;
  Invalidate();
}

void TGradGauge::PaintNow() const {
  if (OnPaintNow) OnPaintNow();
}

void TGradGauge::Invalidate() const {
  if (OnInvalidate) OnInvalidate();
}

}  // namespace tailpack
