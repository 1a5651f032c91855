// The gradient's arithmetic: band count, band edges and colours, fill limit and percentage text.

#include <gtest/gtest.h>

#include "controls/gradient_math.h"

namespace {

// The colours the upgrade window sets, and the ones the control starts with.
constexpr COLORREF kWindowStart = 0x808000;  // RGB(0, 128, 128)
constexpr COLORREF kWindowEnd = 0x800000;    // RGB(0, 0, 128)
constexpr COLORREF kDefaultStart = 0x800000;  // RGB(0, 0, 128)
constexpr COLORREF kDefaultEnd = 0xFF0000;    // RGB(0, 0, 255)

TEST(GradientMath, BandCountIsTheLargestChannelDifference) {
  struct Case {
    COLORREF start, end;
    int bands;
  } cases[] = {
      {kWindowStart, kWindowEnd, 128},
      {kDefaultStart, kDefaultEnd, 127},
      {RGB(0, 0, 0), RGB(255, 255, 255), 255},
      {RGB(255, 10, 0), RGB(0, 20, 5), 255},
      {RGB(9, 9, 9), RGB(9, 9, 9), 0},
      {RGB(100, 50, 0), RGB(90, 53, 4), 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gradient::BandCount(c.start, c.end), c.bands) << std::hex << c.start << " -> " << c.end;
  }
}

TEST(GradientMath, WindowColoursStepGreenDownByOneFromBandToBand) {
  const gradient::Layout layout = gradient::MakeLayout(kWindowStart, kWindowEnd, 300);
  ASSERT_EQ(layout.bandCount, 128);
  EXPECT_EQ(layout.stepGreen, -1.0f);
  for (int i = 0; i < layout.bandCount; ++i) {
    EXPECT_EQ(gradient::BandColor(kWindowStart, layout, i), RGB(0, static_cast<BYTE>(128 - i), 128)) << "band " << i;
  }
}

TEST(GradientMath, ConstructorColoursStepBlueUpByOneFromBandToBand) {
  const gradient::Layout layout = gradient::MakeLayout(kDefaultStart, kDefaultEnd, 300);
  ASSERT_EQ(layout.bandCount, 127);
  for (int i = 0; i < layout.bandCount; ++i) {
    EXPECT_EQ(gradient::BandColor(kDefaultStart, layout, i), RGB(0, 0, static_cast<BYTE>(128 + i))) << "band " << i;
  }
}

TEST(GradientMath, TheRightmostBandStopsOneStepShortOfTheEndColour) {
  struct Case {
    COLORREF start, end, last;
  } cases[] = {
      {kWindowStart, kWindowEnd, RGB(0, 1, 128)},
      {kDefaultStart, kDefaultEnd, RGB(0, 0, 254)},
      {RGB(0, 0, 0), RGB(255, 255, 255), RGB(254, 254, 254)},
      {RGB(255, 255, 255), RGB(0, 0, 0), RGB(1, 1, 1)},
  };
  for (const Case& c : cases) {
    const gradient::Layout layout = gradient::MakeLayout(c.start, c.end, 300);
    EXPECT_EQ(gradient::BandColor(c.start, layout, layout.bandCount - 1), c.last) << std::hex << c.start;
  }
}

TEST(GradientMath, SmallerChannelStepsAreRoundedThroughFloatAndTruncated) {
  // Red changes by 147 over 255 bands. 147/255 as a float lies a little above the exact
  // quotient, so band 85 reaches 49.000002 and shows 49; in double precision alone it would be
  // 48.999999 and show 48.
  const COLORREF start = RGB(0, 0, 0);
  const gradient::Layout layout = gradient::MakeLayout(start, RGB(147, 255, 0), 300);
  ASSERT_EQ(layout.bandCount, 255);
  EXPECT_EQ(GetRValue(gradient::BandColor(start, layout, 84)), 48);
  EXPECT_EQ(GetRValue(gradient::BandColor(start, layout, 85)), 49);
  EXPECT_EQ(GetRValue(gradient::BandColor(start, layout, 170)), 98);
  EXPECT_EQ(GetRValue(gradient::BandColor(start, layout, 254)), 146);
}

TEST(GradientMath, BandEdgesAtWidth300WithTheWindowColours) {
  const gradient::Layout layout = gradient::MakeLayout(kWindowStart, kWindowEnd, 300);
  EXPECT_EQ(layout.bandWidth, 2.34375f);
  struct Case {
    int band, left, right;
  } cases[] = {{0, 0, 2}, {1, 2, 4}, {63, 147, 150}, {64, 150, 152}, {127, 297, 300}};
  for (const Case& c : cases) {
    EXPECT_EQ(gradient::BandEdge(layout, c.band), c.left) << "band " << c.band;
    EXPECT_EQ(gradient::BandEdge(layout, c.band + 1), c.right) << "band " << c.band;
  }
}

TEST(GradientMath, MoreBandsThanPixelsLeaveEmptyBands) {
  const gradient::Layout layout = gradient::MakeLayout(RGB(0, 0, 0), RGB(255, 0, 0), 100);
  int empty = 0;
  for (int i = 0; i < layout.bandCount; ++i) {
    if (gradient::BandEdge(layout, i) == gradient::BandEdge(layout, i + 1)) ++empty;
  }
  EXPECT_EQ(empty, 155);  // 255 bands share 100 columns
  EXPECT_EQ(gradient::BandEdge(layout, layout.bandCount), 100);
}

TEST(GradientMath, FillLimit) {
  struct Case {
    int position, upper, right, px;
  } cases[] = {
      {50, 100, 300, 150},
      {1, 100, 300, 3},
      {0, 100, 300, 0},
      {100, 100, 300, 300},
      {50, 100, 317, 158},
      // 11/15 x 300 is 219.99999999999997 in double; rounded to float it is 220.
      {11, 15, 300, 220},
      // The lower bound takes no part: -50 of a range -100 to 100 is a negative limit.
      {-50, 100, 300, -150},
      // No fraction of an upper bound of 0.
      {5, 0, 300, 0},
      // Far beyond int: held at its end instead of an undefined conversion.
      {-2147483647 - 1, 1, 300, -2147483647 - 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gradient::FillLimit(c.position, c.upper, c.right), c.px)
        << c.position << "/" << c.upper << " of " << c.right;
  }
}

TEST(GradientMath, PercentageTextRoundsHalvesAwayFromZero) {
  struct Case {
    int position, upper;
    const char* text;
  } cases[] = {
      {50, 100, "50%"},   {0, 100, "0%"},    {100, 100, "100%"}, {1, 8, "13%"},   // 12.5
      {3, 8, "38%"},      {5, 8, "63%"},     {1, 200, "1%"},     {1, 3, "33%"},   // 0.5, 33.3
      {2, 3, "67%"},      {-1, 8, "-13%"},   {250, 100, "250%"}, {7, 1000, "1%"},  // 0.7
      {4, 1000, "0%"},    {0, 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gradient::PercentageText(c.position, c.upper), c.text) << c.position << "/" << c.upper;
  }
}

}  // namespace
