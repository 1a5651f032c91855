// The off-screen drawing surface over image contexts: what reaches the target, where, and when.

#include <gtest/gtest.h>

#include "controls/mem_dc.h"
#include "platform/gdi_testing.h"
#include "pixels.h"

namespace {

using platform::test::ImageContext;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kTeal = RGB(0, 64, 128);   // neither black nor white: survives only in colour
constexpr COLORREF kOlive = RGB(128, 128, 0);

void Fill(CDC& dc, const CRect& rect, COLORREF color) {
  CBrush brush;
  brush.CreateSolidBrush(color);
  dc.FillRect(&rect, &brush);
  brush.DeleteObject();
}

class MemDCTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::test::InitWindowSystem(); }
};

TEST_F(MemDCTest, TheClipBoxSizesTheBitmapAndItsCornerIsPixelZero) {
  ImageContext target(60, 30, kWhite);
  target.SetClip(CRect(10, 5, 50, 20));
  {
    CMemDC mem(&target.Dc());
    CRect box;
    EXPECT_EQ(mem.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(10, 5, 50, 20));  // a 40 x 15 bitmap whose origin is the clip corner
    Fill(mem, CRect(10, 5, 11, 6), kTeal);

    // The bitmap's own pixel (0, 0), read with the origin taken away.
    ImageContext probe(1, 1, kWhite);
    mem.SetWindowOrg(0, 0);
    probe.Dc().BitBlt(0, 0, 1, 1, &mem, 0, 0, SRCCOPY);
    mem.SetWindowOrg(10, 5);
    EXPECT_EQ(probe.Pixels().Pixel(0, 0), kTeal);
  }
  const platform::test::Image after = target.Pixels();
  EXPECT_EQ(after.Pixel(10, 5), kTeal);
  // The copy is the clip box exactly: the fresh bitmap's pixels inside it, the target outside.
  EXPECT_NE(after.Pixel(49, 19), kWhite);
  EXPECT_EQ(after.Pixel(9, 5), kWhite);
  EXPECT_EQ(after.Pixel(10, 4), kWhite);
  EXPECT_EQ(after.Pixel(50, 19), kWhite);
  EXPECT_EQ(after.Pixel(49, 20), kWhite);
  EXPECT_EQ(target.BlockTransfers(), 1);
}

TEST_F(MemDCTest, DrawingOutsideTheClipBoxNeverReachesTheTarget) {
  ImageContext target(60, 30, kWhite);
  target.SetClip(CRect(10, 5, 50, 20));
  {
    CMemDC mem(&target.Dc());
    Fill(mem, CRect(-100, -100, 200, 200), kTeal);
  }
  const platform::test::Image after = target.Pixels();
  EXPECT_TRUE(pixels::All(after, CRect(10, 5, 50, 20), kTeal));
  EXPECT_EQ(pixels::Count(after, kTeal), 40 * 15);
}

TEST_F(MemDCTest, NothingReachesTheTargetBeforeTheSurfaceIsDestroyed) {
  ImageContext target(60, 30, kWhite);
  const platform::test::Image before = target.Pixels();
  {
    CMemDC mem(&target.Dc());
    Fill(mem, CRect(0, 0, 60, 30), kTeal);
    Fill(mem, CRect(5, 5, 20, 20), kOlive);
    CRect textBox(0, 0, 60, 30);
    mem.DrawText("50%", &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(target.Pixels().pixels, before.pixels);
    EXPECT_EQ(target.BlockTransfers(), 0);
  }
  const platform::test::Image after = target.Pixels();
  EXPECT_EQ(after.Pixel(0, 0), kTeal);
  EXPECT_EQ(after.Pixel(5, 5), kOlive);
  EXPECT_EQ(after.Pixel(59, 29), kTeal);
  // The whole picture arrives in one block transfer.
  EXPECT_EQ(target.BlockTransfers(), 1);
}

TEST_F(MemDCTest, APrintingTargetGetsEveryDrawingAtOnceAndStaysUsable) {
  ImageContext target(60, 30, kWhite, /*printing=*/true);
  {
    CMemDC mem(&target.Dc());
    EXPECT_TRUE(mem.IsPrinting());
    Fill(mem, CRect(0, 0, 10, 10), kTeal);
    EXPECT_EQ(target.Pixels().Pixel(0, 0), kTeal);
    Fill(mem, CRect(10, 0, 20, 10), kOlive);
    EXPECT_EQ(target.Pixels().Pixel(10, 0), kOlive);
  }
  EXPECT_EQ(target.BlockTransfers(), 0);
  // The surface borrowed the target's context and left it alone.
  ASSERT_TRUE(target.Alive());
  EXPECT_NE(target.Dc().GetSafeHdc(), nullptr);
  Fill(target.Dc(), CRect(30, 0, 40, 10), kTeal);
  EXPECT_EQ(target.Pixels().Pixel(30, 0), kTeal);
}

TEST_F(MemDCTest, AnEmptyClipBoxCopiesNothing) {
  for (const CRect& clip : {CRect(10, 5, 10, 20), CRect(10, 5, 50, 5), CRect()}) {
    ImageContext target(60, 30, kWhite);
    target.SetClip(clip);
    const platform::test::Image before = target.Pixels();
    {
      CMemDC mem(&target.Dc());
      CRect box;
      EXPECT_EQ(mem.GetClipBox(&box), NULLREGION);
      Fill(mem, CRect(0, 0, 60, 30), kTeal);
    }
    EXPECT_EQ(target.Pixels().pixels, before.pixels);
    EXPECT_EQ(target.BlockTransfers(), 0);
  }
}

}  // namespace
