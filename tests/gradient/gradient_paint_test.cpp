// The gradient progress bar painted on a real control and grabbed: bands, fill limit,
// background, percentage text, out-of-range positions, and the standard control beneath it.

#include <gtest/gtest.h>

#include "controls/gradient_progress_ctrl.h"
#include "platform/gdi_testing.h"
#include "pixels.h"

namespace {

using platform::test::Image;

constexpr int kId = 1003;
constexpr DWORD kStyle = 0x50800001;  // smooth, bordered, as in the upgrade window's template
constexpr int kWidth = 300;
constexpr int kHeight = 20;

// The upgrade window's settings.
constexpr COLORREF kStart = 0x808000;  // RGB(0, 128, 128)
constexpr COLORREF kEnd = 0x800000;    // RGB(0, 0, 128)
constexpr COLORREF kText = 0x008000;   // RGB(0, 128, 0)

COLORREF WindowBand(int i) { return RGB(0, static_cast<BYTE>(128 - i), 128); }

class GradientPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::test::InitWindowSystem();
    m_host = std::make_unique<platform::test::ProgressControlHost>(kId, kStyle, CRect(5, 5, 5 + kWidth, 5 + kHeight));
    m_background = os::GetSysColor(COLOR_BTNFACE);
    m_bar = std::make_unique<CGradientProgressCtrl>();
    ASSERT_TRUE(m_bar->SubclassDlgItem(kId, m_host->Window()));
  }
  void TearDown() override {
    m_bar.reset();
    m_host.reset();
  }

  // The upgrade window's configuration.
  void ConfigureAsInTheWindow() {
    m_bar->SetRange(0, 100);
    m_bar->SetPos(0);
    m_bar->SetShowPercentage(TRUE);
    m_bar->SetStartColor(kStart);
    m_bar->SetEndColor(kEnd);
    m_bar->SetTextColor(kText);
  }

  Image Paint() {
    Image image = platform::test::Grab(m_bar.get());
    EXPECT_EQ(image.width, kWidth);
    EXPECT_EQ(image.height, kHeight);
    return image;
  }

  std::unique_ptr<platform::test::ProgressControlHost> m_host;
  std::unique_ptr<CGradientProgressCtrl> m_bar;
  COLORREF m_background = 0;
};

// The top row: no glyph of the centred text reaches it.
constexpr int kRow = 0;

TEST_F(GradientPaintTest, HalfWayShowsBandsUpToTheBandHoldingTheFillLimit) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(50);
  const Image image = Paint();
  EXPECT_EQ(image.Pixel(0, kRow), WindowBand(0));
  EXPECT_EQ(image.Pixel(2, kRow), WindowBand(1));
  EXPECT_EQ(image.Pixel(149, kRow), WindowBand(63));
  // px = 150 falls in band 64 (x = 150 to 152), which is painted whole.
  EXPECT_EQ(image.Pixel(150, kRow), RGB(0, 64, 128));
  EXPECT_EQ(image.Pixel(151, kRow), RGB(0, 64, 128));
  EXPECT_TRUE(pixels::All(image, CRect(152, kRow, kWidth, kRow + 1), m_background));
  // Bands reach the bottom row too.
  EXPECT_EQ(image.Pixel(151, kHeight - 1), RGB(0, 64, 128));
  EXPECT_EQ(image.Pixel(152, kHeight - 1), m_background);
  // "50%" in the text colour, centred.
  const CRect text = pixels::Bounds(image, kText);
  ASSERT_FALSE(text.IsRectEmpty());
  EXPECT_NEAR((text.left + text.right) / 2, kWidth / 2, 3);
  EXPECT_NEAR((text.top + text.bottom) / 2, kHeight / 2, 4);
}

TEST_F(GradientPaintTest, PositionOneShowsTheFirstTwoBands) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(1);
  const Image image = Paint();
  EXPECT_EQ(image.Pixel(0, kRow), RGB(0, 128, 128));
  EXPECT_EQ(image.Pixel(1, kRow), RGB(0, 128, 128));
  EXPECT_EQ(image.Pixel(2, kRow), RGB(0, 127, 128));
  EXPECT_EQ(image.Pixel(3, kRow), RGB(0, 127, 128));
  EXPECT_TRUE(pixels::All(image, CRect(4, kRow, kWidth, kRow + 1), m_background));
}

TEST_F(GradientPaintTest, TheLowerBoundShowsOnlyBackgroundAndItsPercentage) {
  ConfigureAsInTheWindow();
  const Image image = Paint();
  EXPECT_TRUE(pixels::All(image, CRect(0, kRow, kWidth, kRow + 1), m_background));
  EXPECT_EQ(image.Pixel(0, kHeight - 1), m_background);
  // Nothing of the first band survives anywhere; only "0%" stands on the background.
  EXPECT_EQ(pixels::Count(image, WindowBand(0)), 0);
  EXPECT_GT(pixels::Count(image, kText), 0);
  EXPECT_EQ(pixels::Count(image, m_background) + pixels::Count(image, kText), kWidth * kHeight);
}

TEST_F(GradientPaintTest, TheUpperBoundShowsEveryBandButNeverTheEndColour) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(100);
  const Image image = Paint();
  EXPECT_EQ(pixels::Count(image, m_background), 0);
  EXPECT_EQ(image.Pixel(kWidth - 1, kRow), RGB(0, 1, 128));
  EXPECT_EQ(pixels::Count(image, kEnd), 0);
  EXPECT_GT(pixels::Count(image, kText), 0);
}

TEST_F(GradientPaintTest, OutOfRangeShowsTheButtonFaceColourOfNowAndNoText) {
  ConfigureAsInTheWindow();
  // The theme changes after the bar took its background colour.
  const COLORREF themeFace = RGB(10, 200, 30);
  const COLORREF before = platform::test::SetButtonFaceColor(themeFace);
  for (int position : {101, -1}) {
    m_bar->SetPos(position);
    const Image image = Paint();
    EXPECT_EQ(pixels::Count(image, themeFace), kWidth * kHeight) << "position " << position;
    EXPECT_EQ(pixels::Count(image, kText), 0) << "position " << position;
  }
  // In range, the background is still the colour read when the bar was made.
  m_bar->SetPos(50);
  EXPECT_EQ(Paint().Pixel(200, kRow), m_background);
  platform::test::SetButtonFaceColor(before);
}

TEST_F(GradientPaintTest, TheTextColourAppearsOnlyWhenThePercentageIsShown) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(50);
  m_bar->SetShowPercentage(FALSE);
  Image image = Paint();
  EXPECT_EQ(pixels::Count(image, kText), 0);
  EXPECT_EQ(image.Pixel(150, kHeight / 2), RGB(0, 64, 128));
  m_bar->SetShowPercentage(TRUE);
  image = Paint();
  EXPECT_GT(pixels::Count(image, kText), 0);
}

TEST_F(GradientPaintTest, TheLowerBoundTakesNoPartInTheFraction) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(50);
  const Image fromZero = Paint();
  m_bar->SetRange(20, 100);
  m_bar->SetPos(50);
  // Same fill limit and same "50%": the same picture.
  EXPECT_EQ(Paint().pixels, fromZero.pixels);
}

TEST_F(GradientPaintTest, SetRangeMovesThePositionToTheLowerBound) {
  ConfigureAsInTheWindow();
  m_bar->SetPos(40);
  const Image atForty = Paint();
  m_bar->SetRange(10, 100);
  const Image afterRange = Paint();
  EXPECT_NE(afterRange.pixels, atForty.pixels);
  m_bar->SetPos(10);
  EXPECT_EQ(Paint().pixels, afterRange.pixels);
  // Position 10 of 100: px = 30, the left edge of band 13 (x = 30 to 32); band 12 ends at 30,
  // not beyond px, so band 13 is painted too and the background starts at 32.
  EXPECT_EQ(afterRange.Pixel(29, kRow), WindowBand(12));
  EXPECT_EQ(afterRange.Pixel(31, kRow), WindowBand(13));
  EXPECT_EQ(afterRange.Pixel(32, kRow), m_background);
}

TEST_F(GradientPaintTest, TheConstructorColoursRunFromBlue128To254) {
  m_bar->SetPos(100);
  const Image image = Paint();
  EXPECT_EQ(image.Pixel(0, kRow), RGB(0, 0, 128));
  EXPECT_EQ(image.Pixel(kWidth - 1, kRow), RGB(0, 0, 254));
  int lastBlue = 0;
  for (int x = 0; x < kWidth; ++x) {
    const COLORREF p = image.Pixel(x, kRow);
    ASSERT_EQ(GetRValue(p), 0) << x;
    ASSERT_EQ(GetGValue(p), 0) << x;
    ASSERT_GE(GetBValue(p), lastBlue) << x;
    ASSERT_LE(GetBValue(p), 254) << x;
    lastBlue = GetBValue(p);
  }
  // The percentage is off by default: no white text.
  EXPECT_EQ(pixels::Count(image, RGB(255, 255, 255)), 0);
}

TEST_F(GradientPaintTest, EqualColoursAndAnUpperBoundOfZeroPaintThePlainBackground) {
  ConfigureAsInTheWindow();
  m_bar->SetStartColor(RGB(10, 20, 30));
  m_bar->SetEndColor(RGB(10, 20, 30));
  m_bar->SetShowPercentage(FALSE);
  m_bar->SetPos(50);
  EXPECT_EQ(pixels::Count(Paint(), m_background), kWidth * kHeight);

  ConfigureAsInTheWindow();
  m_bar->SetRange(0, 0);
  const Image image = Paint();
  EXPECT_EQ(pixels::Count(image, m_background), kWidth * kHeight);
}

// The standard control beneath: its own copy of range and position, clamped, and the answer
// SetPos passes on.
TEST_F(GradientPaintTest, TheStandardControlKeepsItsOwnClampedPosition) {
  CProgressCtrl& base = *m_bar;
  struct Step {
    int position;
    int previous;
  } steps[] = {{30, 0}, {150, 30}, {50, 100}, {-5, 50}, {7, 0}};
  for (const Step& s : steps) EXPECT_EQ(base.SetPos(s.position), s.previous) << s.position;
  base.SetRange(60, 100);
  EXPECT_EQ(base.SetPos(80), 60);
  // The bar itself keeps the value unclamped.
  EXPECT_EQ(m_bar->SetPos(200), 80);
  EXPECT_EQ(pixels::Count(Paint(), m_background), kWidth * kHeight);
}

// A bar that counts its paints.
class CountingBar : public CGradientProgressCtrl {
 public:
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CGradientProgressCtrl::OnPaint();
  }
};

TEST_F(GradientPaintTest, ANewPositionOrRangeRepaintsTheBar) {
  m_bar.reset();
  platform::test::ProgressControlHost host(kId + 1, kStyle, CRect(0, 0, kWidth, kHeight));
  CountingBar bar;
  ASSERT_TRUE(bar.SubclassDlgItem(kId + 1, host.Window()));
  ASSERT_TRUE(platform::test::PumpUntil([&] { return bar.paints > 0; }));
  int before = bar.paints;
  bar.SetPos(30);
  EXPECT_TRUE(platform::test::PumpUntil([&] { return bar.paints > before; }));
  before = bar.paints;
  bar.SetRange(10, 50);
  EXPECT_TRUE(platform::test::PumpUntil([&] { return bar.paints > before; }));
}

}  // namespace
