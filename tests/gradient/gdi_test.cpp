// The drawing layer itself: memory contexts and bitmaps, colour formats, text, clipping, and
// what happens to deleted contexts.

#include <gtest/gtest.h>

#include "platform/gdi_testing.h"
#include "platform/progress_ctrl.h"
#include "pixels.h"

namespace {

using platform::test::ImageContext;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kTeal = RGB(0, 64, 128);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kGrey = RGB(200, 200, 200);

void Fill(CDC& dc, const CRect& rect, COLORREF color) {
  CBrush brush;
  brush.CreateSolidBrush(color);
  dc.FillRect(&rect, &brush);
  brush.DeleteObject();
}

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::test::InitWindowSystem(); }
};

TEST_F(GdiTest, SelectingBitmapsHandsBackThePreviousOneAndSelectedBitmapsStay) {
  ImageContext screen(10, 10, kWhite);
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&screen.Dc()));
  CRect box;
  EXPECT_EQ(mem.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 1, 1));  // a fresh memory context holds a 1 x 1 bitmap

  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen.Dc(), 8, 4));
  CBitmap* own = mem.SelectObject(&bitmap);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(mem.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 8, 4));
  // A bitmap in use cannot be deleted, nor selected into a second context.
  EXPECT_FALSE(bitmap.DeleteObject());
  CDC other;
  ASSERT_TRUE(other.CreateCompatibleDC(&screen.Dc()));
  EXPECT_EQ(other.SelectObject(&bitmap), nullptr);

  EXPECT_EQ(mem.SelectObject(own), &bitmap);
  EXPECT_TRUE(bitmap.DeleteObject());
  EXPECT_FALSE(bitmap.DeleteObject());
}

TEST_F(GdiTest, ABitmapHasTheColourFormatOfTheContextItIsMadeFor) {
  // Made for the target it keeps colours; made for a fresh memory context it is monochrome.
  struct Case {
    bool compatibleWithTarget;
    COLORREF shown;
  } cases[] = {{true, kTeal}, {false, kBlack}};
  for (const Case& c : cases) {
    ImageContext target(4, 4, kWhite);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&target.Dc()));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(c.compatibleWithTarget ? &target.Dc() : &mem, 4, 4));
    CBitmap* own = mem.SelectObject(&bitmap);
    Fill(mem, CRect(0, 0, 4, 4), kTeal);
    target.Dc().BitBlt(0, 0, 4, 4, &mem, 0, 0, SRCCOPY);
    EXPECT_EQ(target.Pixels().Pixel(2, 2), c.shown) << "compatible with target: " << c.compatibleWithTarget;
    mem.SelectObject(own);
  }
}

TEST_F(GdiTest, TheWindowOriginMovesLogicalCoordinatesOnTheBitmap) {
  ImageContext target(20, 20, kWhite);
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&target.Dc()));
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&target.Dc(), 5, 5));
  CBitmap* own = mem.SelectObject(&bitmap);
  EXPECT_EQ(mem.SetWindowOrg(100, 50), CPoint(0, 0));
  CRect box;
  mem.GetClipBox(&box);
  EXPECT_EQ(box, CRect(100, 50, 105, 55));
  Fill(mem, CRect(100, 50, 105, 55), kTeal);
  Fill(mem, CRect(104, 54, 105, 55), kGreen);
  // Source coordinates are logical too: (104, 54) is the bitmap's last pixel.
  target.Dc().BitBlt(0, 0, 5, 5, &mem, 100, 50, SRCCOPY);
  const platform::test::Image image = target.Pixels();
  EXPECT_EQ(image.Pixel(0, 0), kTeal);
  EXPECT_EQ(image.Pixel(4, 4), kGreen);
  EXPECT_EQ(image.Pixel(5, 5), kWhite);
  mem.SelectObject(own);
}

TEST_F(GdiTest, TextIsCentredClippedToItsRectangleAndOpaqueOnlyInOpaqueMode) {
  const CRect box(20, 10, 120, 40);
  for (int mode : {OPAQUE, TRANSPARENT}) {
    ImageContext target(140, 50, kWhite);
    CDC& dc = target.Dc();
    dc.SetTextColor(kGreen);
    dc.SetBkColor(kGrey);
    EXPECT_EQ(dc.SetBkMode(mode), OPAQUE);  // the default mode
    CRect rect = box;
    EXPECT_GT(dc.DrawText("50%", &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 0);
    const platform::test::Image image = target.Pixels();

    const CRect text = pixels::Bounds(image, kGreen);
    ASSERT_FALSE(text.IsRectEmpty());
    const int centreX = (text.left + text.right) / 2;
    const int centreY = (text.top + text.bottom) / 2;
    EXPECT_NEAR(centreX, (box.left + box.right) / 2, 3);
    EXPECT_NEAR(centreY, (box.top + box.bottom) / 2, 4);
    if (mode == OPAQUE) {
      EXPECT_GT(pixels::Count(image, kGrey), 0);
      const CRect cell = pixels::Bounds(image, kGrey);
      EXPECT_GE(text.left, cell.left);
      EXPECT_LE(text.right, cell.right);
    } else {
      EXPECT_EQ(pixels::Count(image, kGrey), 0);
    }
  }

  // A rectangle narrower than the text cuts it off.
  ImageContext target(140, 50, kWhite);
  target.Dc().SetTextColor(kGreen);
  target.Dc().SetBkMode(TRANSPARENT);
  CRect narrow(60, 10, 66, 40);
  target.Dc().DrawText("0000000000", &narrow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const CRect text = pixels::Bounds(target.Pixels(), kGreen);
  ASSERT_FALSE(text.IsRectEmpty());
  EXPECT_GE(text.left, 60);
  EXPECT_LE(text.right, 66);
}

TEST_F(GdiTest, AClipLimitsDrawingOnTheContext) {
  ImageContext target(30, 30, kWhite);
  target.SetClip(CRect(10, 10, 20, 20));
  Fill(target.Dc(), CRect(0, 0, 30, 30), kTeal);
  const platform::test::Image image = target.Pixels();
  EXPECT_TRUE(pixels::All(image, CRect(10, 10, 20, 20), kTeal));
  EXPECT_EQ(pixels::Count(image, kTeal), 100);
}

TEST_F(GdiTest, ADeletedContextDrawsNothingAndIsNotDeletedTwice) {
  ImageContext target(10, 10, kWhite);
  EXPECT_EQ(CDC::FromHandle(target.Dc().GetSafeHdc()), &target.Dc());
  // Another object holding the same context deletes it when it is destroyed.
  {
    CDC borrower;
    borrower.m_hDC = target.Dc().m_hDC;
    borrower.m_hAttribDC = target.Dc().m_hAttribDC;
  }
  EXPECT_FALSE(target.Alive());
  Fill(target.Dc(), CRect(0, 0, 10, 10), kTeal);
  EXPECT_EQ(pixels::Count(target.Pixels(), kTeal), 0);
  EXPECT_EQ(CDC::FromHandle(target.Dc().GetSafeHdc()), nullptr);
  CRect box;
  EXPECT_EQ(target.Dc().GetClipBox(&box), ERROR);
}

TEST_F(GdiTest, APaintContextOutsideAPaintDrawsNothing) {
  platform::test::ProgressControlHost host(1003, 0x50800001, CRect(0, 0, 100, 20));
  CProgressCtrl control;
  ASSERT_TRUE(control.SubclassDlgItem(1003, host.Window()));
  CPaintDC dc(&control);
  CRect box(1, 2, 3, 4);
  EXPECT_EQ(dc.GetClipBox(&box), NULLREGION);
  EXPECT_TRUE(box.IsRectEmpty());
  CBrush brush;
  brush.CreateSolidBrush(kTeal);
  EXPECT_EQ(dc.FillRect(&box, &brush), 1);  // an empty rectangle: nothing to do
  CRect all(0, 0, 100, 20);
  EXPECT_EQ(dc.FillRect(&all, &brush), 0);
}

TEST_F(GdiTest, IconsAreDrawnInTheSystemIconSize) {
  EXPECT_EQ(os::GetSystemMetrics(SM_CXICON), 32);
  EXPECT_EQ(os::GetSystemMetrics(SM_CYICON), 32);
  ImageContext target(10, 10, kWhite);
  EXPECT_FALSE(target.Dc().DrawIcon(0, 0, nullptr));
}

}  // namespace
