#include "wizard/GradGauge.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TEST(GradGauge, BarRoundsWhileTheCaptionTruncates) {
  struct TCase {
    int32_t Max;
    int32_t Progress;
    int Percent;
    const char* Caption;
    bool HasBar;
  } cases[] = {
      {200, 1, 0, "0%", false},     // 0.5 rounds to even: no bar
      {200, 3, 2, "1%", true},      // 1.5 rounds to 2
      {200, 5, 2, "2%", true},      // 2.5 rounds to even
      {200, 199, 100, "99%", true},  // 99.5: a full bar, the caption still 99
      {200, 500, 100, "100%", true},  // beyond Max: clamped
      {150, 150, 100, "100%", true},
      {7, 7, 100, "100%", true},  // 7 / (7 / 100) is 100, not 99.99...
      {7, 6, 86, "85%", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Progress);
    TGradGauge gauge;
    gauge.SetMax(c.Max);
    gauge.SetProgress(c.Progress);
    TGaugePicture picture = gauge.Picture();
    EXPECT_EQ(picture.Percent, c.Percent);
    EXPECT_EQ(picture.Caption, c.Caption);
    EXPECT_EQ(picture.HasBar, c.HasBar);
    EXPECT_EQ(picture.HasBackground, c.Percent < 100);
  }
}

TEST(GradGauge, GeometryOfBarAndBackground) {
  TGradGauge gauge;
  gauge.SetBounds(203, 20);
  gauge.SetProgress(50);
  TGaugePicture picture = gauge.Picture();
  EXPECT_EQ(picture.FrameRectangle, (TGaugeRect{1, 1, 203, 20}));
  EXPECT_EQ(picture.Bar, (TGaugeRect{2, 2, 102, 19}));
  EXPECT_EQ(picture.Background, (TGaugeRect{102, 2, 203, 20}));
  EXPECT_TRUE(picture.SolidBar);  // equal colours by default

  gauge.SetBounds(3, 20);  // a gauge of width 3 never shows a bar
  gauge.SetProgress(100);
  EXPECT_FALSE(gauge.Picture().HasBar);
}

TEST(GradGauge, MinAndMaxRules) {
  TGradGauge gauge;
  gauge.SetMax(0);  // not above Min: ignored
  EXPECT_EQ(gauge.Max(), 100);
  gauge.SetProgress(80);
  gauge.SetMax(50);
  EXPECT_EQ(gauge.Progress(), 50);
  EXPECT_EQ(gauge.Caption(), "100%");
  gauge.SetMin(60);  // not below Max: ignored
  EXPECT_EQ(gauge.Min(), 0);
  gauge.SetMin(40);
  EXPECT_EQ(gauge.Progress(), 50);
  EXPECT_EQ(gauge.Caption(), "100%");
}

TEST(GradGauge, PositionChangesPaintAtOnce) {
  TGradGauge gauge;
  int paints = 0;
  gauge.OnPaintNow = [&] { ++paints; };
  gauge.SetProgress(10);
  gauge.SetProgress(10);  // unchanged: nothing to paint
  gauge.SetCaption("busy");
  EXPECT_EQ(paints, 2);
  gauge.SetProgress(11);
  EXPECT_EQ(gauge.Caption(), "11%");  // the automatic caption overwrites a set one
}

TEST(GradGauge, GradientRowsStopOneStepShortOfTheSecondColour) {
  auto rows = TGradGauge::GradientRows(0x000000, 0x0000FF, 5);
  EXPECT_EQ(rows, (std::vector<uint32_t>{0, 51, 102, 153, 204}));
  auto down = TGradGauge::GradientRows(0x0000FF, 0x000000, 2);
  EXPECT_EQ(down, (std::vector<uint32_t>{255, 128}));  // -255 * 1 / 2 truncates toward zero

  TGradGauge gauge;
  gauge.SetColor1(0x00FF00);
  gauge.SetColor2(0xFF0000);
  gauge.SetProgress(100);
  TGaugePicture picture = gauge.Picture();
  EXPECT_FALSE(picture.SolidBar);
  EXPECT_EQ(picture.GradientRows.size(), 35u);  // the bitmap is 5 pixels less high
  EXPECT_EQ(picture.GradientRows.front(), 0x00FF00u);
}

TEST(GradGauge, RaisedAndLoweredFramesSwapTheirColours) {
  TGradGauge gauge;
  gauge.SetBorderColor(0x123456);
  gauge.SetBorderStyle(TggBorderStyle::ggRaised);
  TGaugePicture raised = gauge.Picture();
  ASSERT_EQ(raised.FrameLines.size(), 4u);
  EXPECT_EQ(raised.FrameLines[0], (TGaugeLine{1, 40, 1, 1, 0xFFFFFF}));
  EXPECT_EQ(raised.FrameLines[3], (TGaugeLine{199, 39, 0, 39, 0x123456}));
  gauge.SetBorderStyle(TggBorderStyle::ggLowered);
  TGaugePicture lowered = gauge.Picture();
  EXPECT_EQ(lowered.FrameLines[0].Colour, 0x123456u);
  EXPECT_EQ(lowered.FrameLines[3].Colour, 0xFFFFFFu);
}

}  // namespace
}  // namespace tailpack
