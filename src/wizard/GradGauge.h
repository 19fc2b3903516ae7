#pragma once
// The wizard's progress bar as a model: its properties and the picture it
// paints (frame, bar, gradient rows, background, caption), computed here so
// a backend only draws what it is given.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tailpack {

enum class TggBorderStyle : uint8_t { ggSolid = 0, ggRaised = 1, ggLowered = 2 };

struct TGaugeRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGaugeRect&) const = default;
};

struct TGaugeLine {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  uint32_t Colour = 0;
  bool operator==(const TGaugeLine&) const = default;
};

// Everything one paint draws, in drawing order.
struct TGaugePicture {
  // ggSolid: one rectangle outline; the other styles: line segments.
  bool FrameIsRectangle = true;
  TGaugeRect FrameRectangle;
  uint32_t FrameColour = 0;
  std::vector<TGaugeLine> FrameLines;
  int Percent = 0;
  bool HasBar = false;
  TGaugeRect Bar;
  bool SolidBar = true;       // filled with BarColour; else the gradient rows scaled into Bar
  uint32_t BarColour = 0;
  std::vector<uint32_t> GradientRows;  // one colour per row of the gradient bitmap
  bool HasBackground = false;
  TGaugeRect Background;
  uint32_t BackColour = 0;
  std::string Caption;        // centred in the whole control
};

class TGradGauge {
 public:
  TGradGauge();

  // A colour value has red in its low byte.
  uint32_t Backcolor() const { return backcolor_; }
  uint32_t BorderColor() const { return borderColor_; }
  TggBorderStyle BorderStyle() const { return borderStyle_; }
  uint32_t Color1() const { return color1_; }
  uint32_t Color2() const { return color2_; }
  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  int32_t Progress() const { return progress_; }
  const std::string& Caption() const { return caption_; }
  bool Autocaption() const { return autocaption_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void SetProgress(int32_t value);
  void SetMin(int32_t value);
  void SetMax(int32_t value);
  void SetAutocaption(bool value);
  void SetCaption(const std::string& text);
  void SetColor1(uint32_t colour);
  void SetColor2(uint32_t colour);
  void SetBackcolor(uint32_t colour);
  void SetBorderColor(uint32_t colour);
  void SetBorderStyle(TggBorderStyle style);
  void SetBounds(int width, int height);

  // The picture for the current state.
  TGaugePicture Picture() const;
  // The bar's percentage: rounded to the nearest, ties to even.
  int Percent() const;
  // One colour per row of a gradient bitmap Height rows high.
  static std::vector<uint32_t> GradientRows(uint32_t color1, uint32_t color2, int height);

  // Called when the gauge must be painted at once (a position change) and
  // when it only needs painting at the next opportunity.
  std::function<void()> OnPaintNow;
  std::function<void()> OnInvalidate;

 private:
  void ApplyAutoCaption();
  void ForceRefresh();
  void PaintNow() const;
  void Invalidate() const;

  uint32_t backcolor_ = 0xFFFFFF;
  uint32_t borderColor_ = 8875610;
  TggBorderStyle borderStyle_ = TggBorderStyle::ggSolid;
  uint32_t color1_ = 13740692;
  uint32_t color2_ = 13740692;
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t progress_ = 0;
  std::string caption_ = "0%";
  bool autocaption_ = true;
  int width_ = 200;
  int height_ = 40;
  // Shared by all gauges, as the original control's flag was.
  static inline bool forceRefresh_ = false;
};

}  // namespace tailpack
