// The simulator as a program: its command line, one simulator per socket, and a clean end on
// SIGINT and SIGTERM.

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/handle.h"
#include "tests/support/device_calls.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace devicetest {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

class DevsimCommandLineTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string socket_ = dir_.File("dev.sock");
  ScopedEnv env_{"HADREL_USB_SOCKET", socket_.c_str()};
};

// While one simulator holds the socket, a second one on the same path refuses to start and
// leaves the first one working.
TEST_F(DevsimCommandLineTest, SecondSimulatorOnTheSameSocketIsRefused) {
  DevsimProcess first;
  ASSERT_TRUE(first.StartListening(socket_));
  DevsimProcess second;
  second.Start({"--socket", socket_});
  EXPECT_TRUE(ExitedWith(second.WaitForExit(), 1));
  EXPECT_EQ(second.CountLines("another simulator is already running on " + socket_), 1);
  EXPECT_TRUE(Exists(socket_));
  EXPECT_TRUE(DevicePresent());
  EXPECT_TRUE(first.WaitForLine("presence test: present"));
}

struct StopCase {
  const char* name;
  int signal;
};

// Names the case in test listings.
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class DevsimStopTest : public DevsimCommandLineTest, public ::testing::WithParamInterface<StopCase> {};

// SIGINT and SIGTERM end the simulator cleanly: an open session is ended with its record
// complete, the socket and its lock are removed, and a new simulator can take the path.
TEST_P(DevsimStopTest, StopsCleanly) {
  TempDir records;
  DevsimProcess device;
  ASSERT_TRUE(device.StartListening(socket_, {"--record", records.path()}));
  HANDLE pipe = CallOpenFile("PIPE00");
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  const std::string preamble = PatternBytes(20, 7);
  int failures = 0;
  ASSERT_TRUE(WriteWithRetries(pipe, preamble, 3002, &failures));
  // Wait until the packet has been taken, with a second session as a marker.
  EXPECT_TRUE(DevicePresent());
  ASSERT_TRUE(device.WaitForLine("presence test: present"));

  EXPECT_TRUE(ExitedWith(device.Stop(GetParam().signal), 0));
  const auto& lines = device.lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "session 1 closed: 20 bytes in 1 packets");
  EXPECT_EQ(lines.back(), "stopped");
  EXPECT_EQ(ReadWholeFile(records.File("stream-1.bin")), preamble);
  EXPECT_EQ(ReadWholeFile(records.File("writes-1.txt")), "20\n");
  EXPECT_FALSE(Exists(socket_));
  EXPECT_FALSE(Exists(socket_ + ".lock"));

  DWORD written = 0;
  EXPECT_FALSE(os::WriteFile(pipe, preamble.data(), 20, &written)) << "the device is gone";
  EXPECT_TRUE(os::CloseHandle(pipe));
  EXPECT_FALSE(DevicePresent());

  DevsimProcess next;
  ASSERT_TRUE(next.StartListening(socket_));
  EXPECT_TRUE(DevicePresent());
}

INSTANTIATE_TEST_SUITE_P(Device, DevsimStopTest,
                         ::testing::Values(StopCase{"Sigint", SIGINT}, StopCase{"Sigterm", SIGTERM}),
                         [](const auto& info) { return std::string(info.param.name); });

// A socket file left by a simulator that died is replaced; anything else at the path is left
// alone and the start refused.
TEST_F(DevsimCommandLineTest, StaleSocketIsReplacedButOtherFilesAreNot) {
  {
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket_.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
  }
  DevsimProcess device;
  ASSERT_TRUE(device.StartListening(socket_));
  EXPECT_TRUE(DevicePresent());
  EXPECT_TRUE(ExitedWith(device.Stop(SIGTERM), 0));

  const std::string file = dir_.File("not-a-socket");
  {
    int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_EQ(write(fd, "keep", 4), 4);
    close(fd);
  }
  DevsimProcess refused;
  refused.Start({"--socket", file});
  EXPECT_TRUE(ExitedWith(refused.WaitForExit(), 1));
  EXPECT_EQ(refused.CountLines("exists and is not a socket"), 1);
  EXPECT_EQ(ReadWholeFile(file), "keep");
}

struct BadArguments {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

// Names the case in test listings.
void PrintTo(const BadArguments& c, std::ostream* os) { *os << c.name; }

class DevsimBadArgumentsTest : public ::testing::TestWithParam<BadArguments> {};

// Bad command lines are refused with a one-line reason and the usage, before anything is
// created.
TEST_P(DevsimBadArgumentsTest, RefusedWithUsage) {
  TempDir dir;
  std::vector<std::string> args{"--socket", dir.File("dev.sock")};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  DevsimProcess device;
  device.Start(args);
  EXPECT_TRUE(ExitedWith(device.WaitForExit(), 2));
  EXPECT_EQ(device.CountLines(GetParam().message), 1);
  EXPECT_EQ(device.CountLines("usage: hadrel-devsim"), 1);
  EXPECT_FALSE(Exists(dir.File("dev.sock")));
}

INSTANTIATE_TEST_SUITE_P(
    Device, DevsimBadArgumentsTest,
    ::testing::Values(
        BadArguments{"UnknownOption", {"--fast"}, "unknown option --fast"},
        BadArguments{"MissingValue", {"--speed"}, "option --speed needs a value"},
        BadArguments{"ZeroSpeed", {"--speed", "0"}, "--speed needs a whole number from 1"},
        BadArguments{"NotANumber", {"--unplug-after", "12k"}, "--unplug-after needs a whole number"},
        BadArguments{"NegativeNumber", {"--max-packet=-5"}, "--max-packet needs a whole number"},
        BadArguments{"ZeroMaxPacket", {"--max-packet", "0"}, "--max-packet needs a whole number from 1"},
        BadArguments{"BusyWithoutPause", {"--busy-after", "100"}, "--busy-after and --busy-ms go together"},
        BadArguments{"PauseWithoutBusy", {"--busy-ms", "100"}, "--busy-after and --busy-ms go together"},
        BadArguments{"HugePause", {"--busy-after", "1", "--busy-ms", "99999999999"}, "--busy-ms needs a whole number"},
        BadArguments{"StrayArgument", {"extra"}, "unexpected argument: extra"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace devicetest
