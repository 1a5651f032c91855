// SetPos from a worker thread while the window's thread paints, and after the window is gone.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls/gradient_progress_ctrl.h"
#include "platform/gdi_testing.h"

namespace {

constexpr int kId = 1003;
constexpr DWORD kStyle = 0x50800001;

class GradientThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::test::InitWindowSystem();
    host = std::make_unique<platform::test::ProgressControlHost>(kId, kStyle, CRect(0, 0, 300, 20));
    ASSERT_TRUE(bar.SubclassDlgItem(kId, host->Window()));
    bar.SetRange(0, 100);
    bar.SetPos(0);
    bar.SetShowPercentage(TRUE);
    bar.SetStartColor(0x808000);
    bar.SetEndColor(0x800000);
    bar.SetTextColor(0x008000);
  }

  std::unique_ptr<platform::test::ProgressControlHost> host;
  CGradientProgressCtrl bar;
};

TEST_F(GradientThreadsTest, AWorkerMovesTheBarWhileTheWindowPaints) {
  std::atomic<bool> finished{false};
  std::atomic<int> wrongAnswers{0};
  std::thread worker([&] {
    int previous = 0;
    for (int round = 0; round < 3; ++round) {
      for (int position = 0; position <= 100; ++position) {
        // The control answers with the position it had: the call waited for the window's thread.
        if (bar.SetPos(position) != previous) ++wrongAnswers;
        previous = position;
      }
    }
    finished = true;
  });
  // The window's thread keeps painting the bar while the worker moves it.
  int paints = 0;
  const bool done = platform::test::PumpUntil([&] {
    platform::test::Grab(&bar);
    ++paints;
    return finished.load();
  }, 60000);
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(wrongAnswers.load(), 0);
  EXPECT_GT(paints, 1);
  // The last position is shown: every band, the last one at the right edge.
  const platform::test::Image image = platform::test::Grab(&bar);
  EXPECT_EQ(image.Pixel(299, 0), RGB(0, 1, 128));
}

TEST_F(GradientThreadsTest, SetPosDoesNothingOnceTheWindowIsGone) {
  std::atomic<int> calls{0};
  std::atomic<bool> windowGone{false};
  std::atomic<bool> finished{false};
  std::atomic<int> answersAfterDestruction{0};
  std::thread worker([&] {
    int callsAfterDestruction = 0;
    for (int i = 0; i < 1000000 && callsAfterDestruction < 5; ++i) {
      const bool gone = windowGone.load();
      const int answer = bar.SetPos(i % 101);
      ++calls;
      if (gone) {
        ++callsAfterDestruction;
        if (answer != 0) ++answersAfterDestruction;
      }
    }
    finished = true;
  });
  EXPECT_TRUE(platform::test::PumpUntil([&] { return calls.load() >= 20; }, 60000));
  // Destroyed while the worker may be waiting in SetPos: that call returns, and so do the
  // following ones, without the window's thread.
  host->DestroyWindow();
  windowGone = true;
  const bool done = platform::test::PumpUntil([&] { return finished.load(); }, 60000);
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(answersAfterDestruction.load(), 0);
  EXPECT_FALSE(bar.HasWindow());
}

}  // namespace
