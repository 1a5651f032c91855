// Streaming an image to the device pipe: what goes out, in which writes, and how failed writes
// are retried. The pipe is a real packet socket; the pauses between retries take no time.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "tests/transfer/pause_recorder.h"
#include "tests/transfer/test_pipe.h"
#include "transfer/stream_image.h"

namespace transfertest {
namespace {

const BYTE* Bytes(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }
DWORD Size(const std::string& s) { return static_cast<DWORD>(s.size()); }

// The progress reports: body bytes delivered after each piece.
std::vector<DWORD> CumulativePieces(std::size_t bodyLength) {
  std::vector<DWORD> sent;
  for (std::size_t at = 2048; at < bodyLength + 2048; at += 2048) sent.push_back(static_cast<DWORD>(std::min(at, bodyLength)));
  return sent;
}

TEST(StreamImage, SendsThePreambleThenTheBodyInPiecesOfAtMost2048Bytes) {
  // 4: the date alone; 2048 x k: no short piece at the end.
  for (std::size_t body : {4u, 150u, 2047u, 2048u, 2049u, 5000u, 3u * 2048u, 204800u}) {
    SCOPED_TRACE(body);
    const std::string image = TestImage(body);
    TestPipe pipe;
    PauseRecorder pauses;
    std::vector<DWORD> progress;
    const StreamResult result = StreamImage(
        pipe.handle(), Bytes(image), Size(image), [&](DWORD sent) { progress.push_back(sent); },
        &PauseRecorder::RecordPause);
    EXPECT_TRUE(result.preambleDelivered);
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.bodySent, body);
    EXPECT_EQ(progress, CumulativePieces(body));
    EXPECT_TRUE(pauses.Pauses().empty());
    EXPECT_FALSE(pipe.HandleClosed()) << "closing the pipe is the caller's";
    // Header bytes 20 to 1023 are not zero in the test image, so a wrong offset would show.
    EXPECT_EQ(pipe.Packets(), ExpectedPackets(image));
  }
}

TEST(StreamImage, AnImageWithoutABodyIsNotSent) {
  const std::string image = TestImage(0);
  TestPipe pipe;
  const StreamResult result = StreamImage(pipe.handle(), Bytes(image), Size(image), nullptr);
  EXPECT_FALSE(result.preambleDelivered);
  EXPECT_FALSE(result.complete);
  EXPECT_TRUE(pipe.Packets().empty());
}

// A pipe that never takes anything: 3002 attempts at the preamble with 5 ms pauses, then 3002 at
// the first piece with 1 ms pauses, and nothing counts as sent.
TEST(StreamImage, EveryWriteFailing) {
  const std::string image = TestImage(5000);
  TestPipe pipe;
  pipe.Break();
  PauseRecorder pauses;
  int progressCalls = 0;
  const StreamResult result =
      StreamImage(pipe.handle(), Bytes(image), Size(image), [&](DWORD) { ++progressCalls; }, &PauseRecorder::RecordPause);
  EXPECT_FALSE(result.preambleDelivered);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.bodySent, 0u);
  EXPECT_EQ(progressCalls, 0);
  std::vector<DWORD> expected(3002, 5);
  expected.insert(expected.end(), 3002, 1);
  EXPECT_EQ(pauses.Pauses(), expected);
  EXPECT_TRUE(pipe.Packets().empty());
}

// The body follows a preamble that never went out; the result says the transfer is incomplete.
TEST(StreamImage, TheBodyFollowsAPreambleThatNeverWentOut) {
  const std::string image = TestImage(5000);
  TestPipe pipe;
  pipe.Break();
  PauseRecorder pauses([&](DWORD ms, int count) {
    if (ms == 5 && count == 3002) pipe.Repair();  // the preamble's last pause: too late for it
  });
  const StreamResult result = StreamImage(pipe.handle(), Bytes(image), Size(image), nullptr, &PauseRecorder::RecordPause);
  EXPECT_FALSE(result.preambleDelivered);
  EXPECT_EQ(result.bodySent, 5000u);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(pauses.Count(1), 0);
  std::vector<std::string> expected = ExpectedPackets(image);
  expected.erase(expected.begin());
  EXPECT_EQ(pipe.Packets(), expected);
}

// Each write is tried 3002 times: a piece that goes out at its 3002nd attempt counts once, and
// the next piece starts again with 3002 attempts; one that fails a 3002nd time ends the stream.
TEST(StreamImage, EachPieceHas3002Attempts) {
  struct Case {
    int failuresPerPiece;  // of the second and the third piece
    DWORD bodySent;
    std::size_t packets;  // preamble included
  };
  for (const Case c : {Case{3001, 3 * 2048, 4}, Case{3002, 2048, 2}}) {
    SCOPED_TRACE(c.failuresPerPiece);
    const std::string image = TestImage(3 * 2048);
    TestPipe pipe;
    int failuresOfThisPiece = 0;
    PauseRecorder pauses([&](DWORD, int) {
      if (++failuresOfThisPiece == c.failuresPerPiece) pipe.Repair();
    });
    const StreamResult result = StreamImage(
        pipe.handle(), Bytes(image), Size(image),
        [&](DWORD sent) {
          failuresOfThisPiece = 0;
          if (sent < 3 * 2048) pipe.Break();  // the next piece meets a busy device
        },
        &PauseRecorder::RecordPause);
    EXPECT_EQ(result.bodySent, c.bodySent);
    EXPECT_EQ(result.complete, c.bodySent == 3 * 2048);
    const std::vector<std::string> packets = pipe.Packets();
    EXPECT_EQ(packets.size(), c.packets);
    const std::vector<std::string> expected = ExpectedPackets(image);
    EXPECT_TRUE(std::equal(packets.begin(), packets.end(), expected.begin())) << "every byte once, in order";
    EXPECT_EQ(pauses.Count(1), c.failuresPerPiece == 3001 ? 2 * 3001 : 3002);
  }
}

// The pipe fails for good from the third piece on: two pieces delivered, the third tried 3002
// times, later pieces never tried.
TEST(StreamImage, APieceThatFailsForGoodEndsTheStream) {
  const std::string image = TestImage(10 * 2048);
  TestPipe pipe;
  PauseRecorder pauses;
  std::vector<DWORD> progress;
  const StreamResult result = StreamImage(
      pipe.handle(), Bytes(image), Size(image),
      [&](DWORD sent) {
        progress.push_back(sent);
        if (sent == 4096) pipe.Break();
      },
      &PauseRecorder::RecordPause);
  EXPECT_TRUE(result.preambleDelivered);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.bodySent, 4096u);
  EXPECT_EQ(progress, (std::vector<DWORD>{2048, 4096}));
  EXPECT_EQ(pauses.Pauses(), std::vector<DWORD>(3002, 1));
  EXPECT_EQ(pipe.Packets().size(), 3u);
}

// radtool's Ctrl-C: the stream ends before the next attempt, between pieces or between retries.
TEST(StreamImage, TheStopFlagEndsTheStreamBeforeTheNextAttempt) {
  const std::string image = TestImage(5 * 2048);
  {
    TestPipe pipe;
    std::atomic<bool> stop{false};
    const StreamResult result = StreamImage(
        pipe.handle(), Bytes(image), Size(image), [&](DWORD) { stop = true; }, &PauseRecorder::RecordPause, &stop);
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.bodySent, 2048u);
    EXPECT_EQ(pipe.Packets().size(), 2u);
  }
  {
    TestPipe pipe;
    pipe.Break();
    std::atomic<bool> stop{false};
    PauseRecorder pauses([&](DWORD, int) { stop = true; });
    const StreamResult result =
        StreamImage(pipe.handle(), Bytes(image), Size(image), nullptr, &PauseRecorder::RecordPause, &stop);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(pauses.Pauses().size(), 1u);
    EXPECT_TRUE(pipe.Packets().empty());
  }
}

}  // namespace
}  // namespace transfertest
