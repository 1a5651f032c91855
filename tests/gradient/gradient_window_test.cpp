// The upgrade window's progress bar: bound by the first data exchange, configured when the
// window opens, and moved from another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/app.h"
#include "platform/gdi.h"
#include "platform/testing.h"
#include "pixels.h"
#include "res/resource.h"
#include "ui/vandro_dlg.h"

namespace pt = platform::test;

namespace {

constexpr COLORREF kText = RGB(0, 128, 0);

class UpgradeWindowBar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { pt::InitWindowSystem(); }
  void SetUp() override { m_app.m_pMainWnd = &m_dlg; }
  void TearDown() override { m_app.m_pMainWnd = nullptr; }

  CWinApp m_app;
  CVandroDlg m_dlg;
};

TEST_F(UpgradeWindowBar, OpensAtZeroPercentInTheWindowsColoursAndFollowsTheWorker) {
  const COLORREF background = os::GetSysColor(COLOR_BTNFACE);
  pt::WhenModal([&] {
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_PROGRESS), &m_dlg.m_progress);
    ASSERT_TRUE(m_dlg.m_progress.HasWindow());
    // Later exchanges leave the binding as it is.
    m_dlg.UpdateData(FALSE);
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_PROGRESS), &m_dlg.m_progress);

    pt::Image image = pt::Grab(&m_dlg.m_progress);
    ASSERT_GT(image.width, 0);
    EXPECT_GT(pixels::Count(image, kText), 0);
    EXPECT_EQ(pixels::Count(image, background) + pixels::Count(image, kText), image.width * image.height);

    // The transfer worker's call: it waits until this thread has handled it.
    std::atomic<bool> moved{false};
    std::thread worker([&] {
      m_dlg.m_progress.SetPos(50);
      moved = true;
    });
    const bool done = pt::PumpUntil([&] { return moved.load(); });
    worker.join();
    EXPECT_TRUE(done);

    image = pt::Grab(&m_dlg.m_progress);
    EXPECT_EQ(image.Pixel(0, 0), RGB(0, 128, 128));
    EXPECT_EQ(image.Pixel(image.width - 1, 0), background);
    EXPECT_GT(pixels::Count(image, kText), 0);
    m_dlg.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(m_dlg.DoModal(), IDCANCEL);
}

}  // namespace
