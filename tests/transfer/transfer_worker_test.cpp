// The transfer worker on its own thread, with a window that records what the worker does to it:
// the progress positions as the pieces go out, the end (text, bar reset, release, button), and the
// transfer failures that must not look like success.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/thread.h"
#include "tests/support/devsim_process.h"
#include "tests/transfer/pause_recorder.h"
#include "tests/transfer/test_pipe.h"
#include "transfer/transfer_state.h"
#include "transfer/transfer_window.h"

namespace transfertest {
namespace {

// The text of a key of section "message" in the lang.ini beside the test program.
std::string Message(const char* key) {
  char text[260];
  const std::string path = std::string(DOWNLOAD_BIN_DIR) + "/lang.ini";
  os::GetPrivateProfileStringA("message", key, "", text, sizeof text, path.c_str());
  return text;
}

// What the worker did to the window, in order: "pos N", "text T", "ended".
class RecordingWindow : public TransferWindow {
 public:
  void SetPos(int position) override { Add("pos " + std::to_string(position)); }
  void SetDoneText(const std::string& text) override { Add("text " + text); }
  void TransferEnded() override { Add("ended"); }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

 private:
  void Add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  std::mutex mutex_;
  std::vector<std::string> events_;
};

class TransferWorker : public ::testing::Test {
 protected:
  void TearDown() override {
    TransferWorkerWindow.reset();
    TransferWorkerPause = os::Sleep;
  }

  // Hands `image` and the pipe over as the start of a transfer does, runs the worker on its own
  // thread and waits for its end.
  void RunWorker(const std::string& image, TestPipe& pipe) {
    TransferState.pipe = pipe.handle();
    TransferState.image = static_cast<BYTE*>(std::malloc(image.size()));
    std::memcpy(TransferState.image, image.data(), image.size());
    TransferState.size = static_cast<DWORD>(image.size());
    TransferState.sent = 0;
    TransferWorkerWindow = m_window;
    TransferWorkerPause = &PauseRecorder::RecordPause;
    ASSERT_NE(AfxBeginThread(TransferThreadProc, nullptr), nullptr);
    ASSERT_TRUE(platform::WaitForWorkerThreads(devicetest::kWaitMs));
  }

  std::shared_ptr<RecordingWindow> m_window = std::make_shared<RecordingWindow>();
};

std::vector<std::string> Positions(std::initializer_list<int> positions) {
  std::vector<std::string> events;
  for (int p : positions) events.push_back("pos " + std::to_string(p));
  return events;
}

std::vector<std::string> EndEvents(const char* key) { return {"text " + Message(key), "pos 0", "ended"}; }

// Every position that a piece reaches goes to the bar once, in order, and so does the position
// after the last piece; a piece that leaves the position as it was makes no call.
TEST_F(TransferWorker, MovesTheBarToEachNewPositionThenShowsTheEndAndReleasesEverything) {
  struct Case {
    std::size_t body;
    std::vector<std::string> positions;
  };
  std::vector<std::string> everyPercent;
  for (int p = 1; p <= 100; ++p) everyPercent.push_back("pos " + std::to_string(p));
  std::vector<std::string> fromZero = {"pos 0"};
  fromZero.insert(fromZero.end(), everyPercent.begin(), everyPercent.end());
  std::vector<std::string> lastToldAgain = everyPercent;
  lastToldAgain.push_back("pos 100");
  const Case cases[] = {
      {204800, everyPercent},               // divisor 2048: one percent per piece
      {5000, Positions({40, 81, 100})},      // divisor 50: pieces of 2048, 2048, 904
      {150, Positions({150})},               // divisor 1: beyond the bar's range
      {3 * 2048, Positions({33, 67, 100})},  // divisor 61: three whole pieces, no short one
      {409600, fromZero},                    // divisor 4096: two pieces per percent, 0 first
      {204810, lastToldAgain},               // divisor 2048: a last piece of 10 bytes stays at 100
  };
  ASSERT_FALSE(Message("1030").empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    m_window = std::make_shared<RecordingWindow>();
    const std::string image = TestImage(c.body);
    TestPipe pipe;
    PauseRecorder pauses;
    RunWorker(image, pipe);
    std::vector<std::string> expected = c.positions;
    for (const std::string& e : EndEvents("1030")) expected.push_back(e);
    EXPECT_EQ(m_window->Events(), expected);
    EXPECT_TRUE(pipe.HandleClosed());
    EXPECT_EQ(pipe.Packets(), ExpectedPackets(image));
    // The record keeps its last values: the body's length and all of it sent.
    EXPECT_EQ(TransferState.sent, c.body);
    EXPECT_EQ(TransferState.size, c.body);
  }
}

// A transfer that lost data ends with "1032" instead of "1030"; everything else at the end
// stays as for a complete one.
TEST_F(TransferWorker, ATransferThatLostDataEndsWithTheFailureText) {
  ASSERT_FALSE(Message("1032").empty());
  ASSERT_NE(Message("1032"), Message("1030"));

  {
    SCOPED_TRACE("every write fails");
    const std::string image = TestImage(5000);
    TestPipe pipe;
    pipe.Break();
    PauseRecorder pauses;
    RunWorker(image, pipe);
    EXPECT_EQ(m_window->Events(), EndEvents("1032"));
    EXPECT_EQ(pauses.Count(5), 3002);
    EXPECT_EQ(pauses.Count(1), 3002);
    EXPECT_EQ(TransferState.sent, 0u);
    EXPECT_TRUE(pipe.HandleClosed());
  }
  {
    SCOPED_TRACE("the preamble never went out");
    m_window = std::make_shared<RecordingWindow>();
    const std::string image = TestImage(5000);
    TestPipe pipe;
    pipe.Break();
    PauseRecorder pauses([&](DWORD ms, int count) {
      if (ms == 5 && count == 3002) pipe.Repair();
    });
    RunWorker(image, pipe);
    std::vector<std::string> expected = Positions({40, 81, 100});
    for (const std::string& e : EndEvents("1032")) expected.push_back(e);
    EXPECT_EQ(m_window->Events(), expected);
    EXPECT_EQ(TransferState.sent, 5000u);
  }
  {
    SCOPED_TRACE("the pipe fails for good from the third piece on");
    m_window = std::make_shared<RecordingWindow>();
    const std::string image = TestImage(204800);
    TestPipe pipe;
    PauseRecorder pauses;
    // The worker's second position is the moment the second piece is out.
    struct BreakingWindow : RecordingWindow {
      TestPipe* pipe;
      void SetPos(int position) override {
        RecordingWindow::SetPos(position);
        if (position == 2) pipe->Break();
      }
    };
    auto breaking = std::make_shared<BreakingWindow>();
    breaking->pipe = &pipe;
    m_window = breaking;
    RunWorker(image, pipe);
    std::vector<std::string> expected = Positions({1, 2});
    for (const std::string& e : EndEvents("1032")) expected.push_back(e);
    EXPECT_EQ(m_window->Events(), expected);
    EXPECT_EQ(pauses.Count(1), 3002);
    EXPECT_EQ(TransferState.sent, 4096u);
    EXPECT_TRUE(pipe.HandleClosed());
    EXPECT_EQ(pipe.Packets().size(), 3u);
  }
}

}  // namespace
}  // namespace transfertest
