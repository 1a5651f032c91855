// The device pipe end to end: the real library opens it, the real simulator records what
// arrives, and the records are compared with what was written.

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/handle.h"
#include "tests/support/device_calls.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace devicetest {
namespace {

// Pieces as the tool writes them: the 20-byte preamble, full 2048-byte pieces and a short last
// one, plus lengths around the boundaries.
std::vector<std::size_t> ToolLikeSizes() {
  std::vector<std::size_t> sizes{20, 2048, 2048, 1, 2047, 904};
  for (int i = 0; i < 30; ++i) sizes.push_back(2048);
  sizes.push_back(100);
  return sizes;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string all;
  for (const std::string& p : pieces) all += p;
  return all;
}

std::string LengthLines(const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& p : pieces) text += std::to_string(p.size()) + "\n";
  return text;
}

class DevicePipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test process must survive writes to a broken pipe without ignoring SIGPIPE itself.
    signal(SIGPIPE, SIG_DFL);
  }
  bool StartDevice(std::vector<std::string> args) {
    args.insert(args.end(), {"--record", records_.path()});
    return device_.StartListening(socket_, args);
  }
  std::string Record(const std::string& name) { return ReadWholeFile(records_.File(name)); }

  TempDir dir_;
  TempDir records_;
  std::string socket_ = dir_.File("dev.sock");
  ScopedEnv env_{"HADREL_USB_SOCKET", socket_.c_str()};
  DevsimProcess device_;
};

struct StreamCase {
  const char* name;
  std::vector<std::string> args;
  // When the device holds off for a while: the line that starts it. Some writes must fail then,
  // and be retried.
  const char* busyLine;
};

// Names the case in test listings.
void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class StreamTest : public DevicePipeTest, public ::testing::WithParamInterface<StreamCase> {};

// Every write arrives as one packet of the same length, every byte exactly once and in order,
// whether the device takes packets at once, slowly, or holds off for a while; presence tests are
// answered meanwhile.
TEST_P(StreamTest, EveryWriteArrivesOnceAsOnePacket) {
  ASSERT_TRUE(StartDevice(GetParam().args));
  HANDLE pipe = CallOpenFile("PIPE00");
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(device_.WaitForLine("session 1 opened"));

  std::vector<std::string> pieces;
  int failures = 0;
  for (std::size_t size : ToolLikeSizes()) {
    pieces.push_back(PatternBytes(size, static_cast<unsigned>(pieces.size())));
    ASSERT_TRUE(WriteWithRetries(pipe, pieces.back(), 3002, &failures)) << "piece " << pieces.size();
    if (pieces.size() % 10 == 0) {
      EXPECT_TRUE(DevicePresent()) << "presence test while the pipe streams";
      device_.Drain();
    }
  }
  EXPECT_TRUE(os::CloseHandle(pipe));
  ASSERT_TRUE(device_.WaitForLine("session 1 closed:"));

  const std::string sent = Joined(pieces);
  EXPECT_TRUE(Record("stream-1.bin") == sent) << "the recorded stream differs from what was written";
  EXPECT_EQ(Record("writes-1.txt"), LengthLines(pieces));
  EXPECT_EQ(device_.CountLines("session 1 closed: " + std::to_string(sent.size()) + " bytes in " +
                               std::to_string(pieces.size()) + " packets"),
            1);
  EXPECT_EQ(device_.CountLines("protocol error"), 0);
  if (GetParam().busyLine != nullptr) {
    EXPECT_GT(failures, 0) << "writes should fail while the device is busy";
    EXPECT_EQ(device_.CountLines(GetParam().busyLine), 1);
    EXPECT_EQ(device_.CountLines("session 1 taking packets again"), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Device, StreamTest,
    ::testing::Values(StreamCase{"Unthrottled", {}, nullptr},
                      StreamCase{"Slow", {"--speed", "128"}, nullptr},
                      StreamCase{"Busy", {"--busy-after", "4096", "--busy-ms", "400"},
                                 "session 1 busy for 400 ms after 4116 bytes"},
                      StreamCase{"BusyFromTheStart", {"--busy-after", "0", "--busy-ms", "300"},
                                 "session 1 busy for 300 ms after 0 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each pipe session gets its own numbered record; one that ends empty leaves empty files.
TEST_F(DevicePipeTest, SessionsAreRecordedSeparately) {
  ASSERT_TRUE(StartDevice({}));
  const std::vector<std::vector<std::string>> sessions{
      {PatternBytes(20, 1), PatternBytes(2048, 2)}, {}, {PatternBytes(20, 3), PatternBytes(5, 4)}};
  for (std::size_t n = 0; n < sessions.size(); ++n) {
    HANDLE pipe = CallOpenFile("PIPE00");
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    int failures = 0;
    for (const std::string& piece : sessions[n]) ASSERT_TRUE(WriteWithRetries(pipe, piece, 3002, &failures));
    EXPECT_TRUE(os::CloseHandle(pipe));
    ASSERT_TRUE(device_.WaitForLine("session " + std::to_string(n + 1) + " closed:"));
  }
  for (std::size_t n = 0; n < sessions.size(); ++n) {
    const std::string number = std::to_string(n + 1);
    EXPECT_TRUE(Record("stream-" + number + ".bin") == Joined(sessions[n])) << "session " << number;
    EXPECT_EQ(Record("writes-" + number + ".txt"), LengthLines(sessions[n])) << "session " << number;
  }
}

struct ProtocolCase {
  const char* name;
  std::vector<std::string> args;
  std::vector<std::size_t> sizes;
  std::vector<std::string> errors;  // the protocol error lines expected, in order
};

// Names the case in test listings.
void PrintTo(const ProtocolCase& c, std::ostream* os) { *os << c.name; }

class ProtocolErrorTest : public DevicePipeTest, public ::testing::WithParamInterface<ProtocolCase> {};

// A session must start with the 20-byte preamble and no packet may exceed --max-packet; the
// device logs each breach and still records everything it received.
TEST_P(ProtocolErrorTest, BreachesAreLoggedAndRecorded) {
  ASSERT_TRUE(StartDevice(GetParam().args));
  HANDLE pipe = CallOpenFile("PIPE00");
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::vector<std::string> pieces;
  int failures = 0;
  for (std::size_t size : GetParam().sizes) {
    pieces.push_back(PatternBytes(size, static_cast<unsigned>(size)));
    ASSERT_TRUE(WriteWithRetries(pipe, pieces.back(), 3002, &failures));
  }
  EXPECT_TRUE(os::CloseHandle(pipe));
  ASSERT_TRUE(device_.WaitForLine("session 1 closed:"));

  std::vector<std::string> errors;
  for (const std::string& line : device_.lines())
    if (line.find("protocol error") != std::string::npos) errors.push_back(line);
  EXPECT_EQ(errors, GetParam().errors);
  EXPECT_TRUE(Record("stream-1.bin") == Joined(pieces));
  EXPECT_EQ(Record("writes-1.txt"), LengthLines(pieces));
}

INSTANTIATE_TEST_SUITE_P(
    Device, ProtocolErrorTest,
    ::testing::Values(
        ProtocolCase{"WellFormed", {}, {20, 2048, 2048, 7}, {}},
        ProtocolCase{"ShortPreamble", {}, {19, 2048},
                     {"session 1 protocol error: first packet has 19 bytes, expected 20"}},
        ProtocolCase{"LongPreamble", {}, {21}, {"session 1 protocol error: first packet has 21 bytes, expected 20"}},
        ProtocolCase{"OversizePacket", {}, {20, 2048, 2049},
                     {"session 1 protocol error: packet 3 has 2049 bytes, more than 2048"}},
        ProtocolCase{"SmallerMaxPacket", {"--max-packet", "512"}, {20, 512, 513, 512},
                     {"session 1 protocol error: packet 3 has 513 bytes, more than 512"}},
        ProtocolCase{"OversizeFirstPacket", {"--max-packet", "16"}, {30, 16},
                     {"session 1 protocol error: first packet has 30 bytes, expected 20",
                      "session 1 protocol error: packet 1 has 30 bytes, more than 16"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Once the device is unplugged, the pipe fails for good (without a signal that would end this
// process), presence tests say absent and new pipes are refused, until the simulator restarts.
TEST_F(DevicePipeTest, UnpluggedDeviceFailsForGoodAndTheProcessLivesOn) {
  ASSERT_TRUE(StartDevice({"--unplug-after", "8192"}));
  HANDLE pipe = CallOpenFile("PIPE00");
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);

  std::string sent;
  std::size_t delivered = 0;
  int failures = 0;
  bool broke = false;
  for (unsigned i = 0; i < 64 && !broke; ++i) {
    std::string piece = PatternBytes(i == 0 ? 20 : 2048, i);
    if (WriteWithRetries(pipe, piece, 200, &failures)) {
      sent += piece;
      delivered = sent.size();
    } else {
      broke = true;
    }
  }
  ASSERT_TRUE(broke) << "the pipe never failed after the unplug";
  ASSERT_TRUE(device_.WaitForLine("session 1 unplugged after"));
  ASSERT_TRUE(device_.WaitForLine("session 1 closed:"));

  // For good: no later write gets through.
  for (int i = 0; i < 20; ++i) {
    DWORD written = 0;
    EXPECT_FALSE(os::WriteFile(pipe, sent.data(), 2048, &written));
  }
  EXPECT_TRUE(os::CloseHandle(pipe));

  EXPECT_FALSE(DevicePresent());
  EXPECT_EQ(CallOpenFile("PIPE00"), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(device_.WaitForLine("presence test: absent"));
  EXPECT_TRUE(device_.WaitForLine("pipe refused: device unplugged"));

  // What the device took is a prefix of what was written, at least up to the unplug.
  const std::string stream = Record("stream-1.bin");
  EXPECT_GE(stream.size(), 8192u);
  EXPECT_LE(stream.size(), delivered);
  EXPECT_TRUE(sent.compare(0, stream.size(), stream) == 0) << "the record is not a prefix of the stream";

  // Plugged in again: a new simulator on the same socket.
  EXPECT_EQ(device_.Stop(SIGTERM), 0);
  DevsimProcess again;
  ASSERT_TRUE(again.StartListening(socket_));
  EXPECT_TRUE(DevicePresent());
}

}  // namespace
}  // namespace devicetest
