// Presence tests and where the device's socket lies: the real library asks a real simulator,
// or finds nobody (or nobody it may trust) and says so quickly.

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

#include "hadrelusb/device_socket.h"
#include "platform/handle.h"
#include "tests/support/device_calls.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace devicetest {
namespace {

bool IsCloseOnExec(HANDLE handle) {
  int flags = fcntl(static_cast<int>(handle), F_GETFD);
  return flags >= 0 && (flags & FD_CLOEXEC) != 0;
}

// A socket at `path` that nobody listens on: what a simulator that died leaves behind. With
// `listening`, one that accepts nothing and never answers; the descriptor is returned.
int MakeSocketFile(const std::string& path, bool listening) {
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  if (listening) {
    EXPECT_EQ(listen(fd, 8), 0);
    return fd;
  }
  close(fd);
  return -1;
}

class PresenceTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string socket_ = dir_.File("dev.sock");
  ScopedEnv env_{"HADREL_USB_SOCKET", socket_.c_str()};
  DevsimProcess device_;
};

// A running device answers: open_dev and open_file give descriptors that a child process does
// not inherit, and that close normally after the library is gone.
TEST_F(PresenceTest, RunningDeviceAnswers) {
  ASSERT_TRUE(device_.StartListening(socket_));
  HANDLE device = CallOpenDev();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(IsCloseOnExec(device));
  EXPECT_TRUE(os::CloseHandle(device));
  EXPECT_TRUE(device_.WaitForLine("presence test: present"));

  HANDLE pipe = CallOpenFile("PIPE00");
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(IsCloseOnExec(pipe));
  EXPECT_TRUE(os::CloseHandle(pipe));
  EXPECT_TRUE(device_.WaitForLine("session 1 opened"));
  EXPECT_TRUE(device_.WaitForLine("session 1 closed: 0 bytes in 0 packets"));
}

// Only the pipe "PIPE00" exists; other names give no handle and open no session.
TEST_F(PresenceTest, OnlyPipe00Opens) {
  ASSERT_TRUE(device_.StartListening(socket_));
  for (const char* name : {"PIPE01", "pipe00", "", "PIPE00 ", "PIPE0", static_cast<const char*>(nullptr)})
    EXPECT_EQ(CallOpenFile(name), INVALID_HANDLE_VALUE) << (name ? name : "(null)");
  EXPECT_TRUE(DevicePresent());
  EXPECT_EQ(device_.CountLines("session"), 0);
}

enum class Absence { kNothingAtPath, kStaleSocket, kRegularFile, kSilentListener, kHungDevice };

struct AbsenceCase {
  const char* name;
  Absence kind;
};

// Names the case in test listings.
void PrintTo(const AbsenceCase& c, std::ostream* os) { *os << c.name; }

class AbsentDeviceTest : public PresenceTest, public ::testing::WithParamInterface<AbsenceCase> {};

// Whatever lies at the socket's path, a device that does not answer gives -1 from both entry
// points, and the caller is not held up for long (a bound inside the library, not asserted).
TEST_P(AbsentDeviceTest, NoAnswerGivesInvalidHandle) {
  int listener = -1;
  switch (GetParam().kind) {
    case Absence::kNothingAtPath:
      break;
    case Absence::kStaleSocket:
      MakeSocketFile(socket_, false);
      break;
    case Absence::kRegularFile:
      close(open(socket_.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
      break;
    case Absence::kSilentListener:
      listener = MakeSocketFile(socket_, true);
      break;
    case Absence::kHungDevice:
      ASSERT_TRUE(device_.StartListening(socket_));
      device_.Signal(SIGSTOP);
      break;
  }
  const int before = OpenDescriptorCount();
  EXPECT_EQ(CallOpenDev(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CallOpenFile("PIPE00"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenDescriptorCount(), before);
  if (listener >= 0) close(listener);
  if (GetParam().kind == Absence::kHungDevice) {
    device_.Signal(SIGCONT);
    EXPECT_TRUE(DevicePresent()) << "the device answers again once it runs";
  }
}

INSTANTIATE_TEST_SUITE_P(Device, AbsentDeviceTest,
                         ::testing::Values(AbsenceCase{"NothingAtPath", Absence::kNothingAtPath},
                                           AbsenceCase{"StaleSocket", Absence::kStaleSocket},
                                           AbsenceCase{"RegularFile", Absence::kRegularFile},
                                           AbsenceCase{"SilentListener", Absence::kSilentListener},
                                           AbsenceCase{"HungDevice", Absence::kHungDevice}),
                         [](const auto& info) { return std::string(info.param.name); });

// Many presence tests and pipe sessions, found and not found, leave no descriptor behind.
TEST_F(PresenceTest, NoDescriptorLeaks) {
  ASSERT_TRUE(device_.StartListening(socket_));
  const int before = OpenDescriptorCount();
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(DevicePresent());
    if (i % 50 == 0) device_.Drain();
  }
  for (int i = 0; i < 10; ++i) {
    HANDLE pipe = CallOpenFile("PIPE00");
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::string preamble = PatternBytes(20, static_cast<unsigned>(i));
    int failures = 0;
    EXPECT_TRUE(WriteWithRetries(pipe, preamble, 3002, &failures));
    EXPECT_TRUE(os::CloseHandle(pipe));
    EXPECT_EQ(CallOpenFile("PIPE01"), INVALID_HANDLE_VALUE);
  }
  {
    const std::string nowhere = dir_.File("nowhere.sock");
    ScopedEnv elsewhere("HADREL_USB_SOCKET", nowhere.c_str());
    for (int i = 0; i < 50; ++i) ASSERT_FALSE(DevicePresent());
  }
  device_.Signal(SIGSTOP);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(DevicePresent());
  device_.Signal(SIGCONT);
  EXPECT_TRUE(device_.WaitForLine("session 10 closed"));
  EXPECT_EQ(OpenDescriptorCount(), before);
}

// Without HADREL_USB_SOCKET, device and library meet in a private directory of the runtime
// directory, which the simulator creates with mode 0700 and the library trusts only as long as
// it stays private.
TEST(SocketLocationTest, DefaultSocketLiesInAPrivateRuntimeDirectory) {
  TempDir runtime;
  ScopedEnv noSocket("HADREL_USB_SOCKET", nullptr);
  ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
  const std::string dir = runtime.File("hadrel-usb");

  DevsimProcess device;
  device.Start({}, {"HADREL_USB_SOCKET", "XDG_RUNTIME_DIR=" + runtime.path()});
  ASSERT_TRUE(device.WaitForLine("listening on " + dir + "/device.sock"));
  struct stat st;
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(DevicePresent());

  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  EXPECT_FALSE(DevicePresent()) << "a directory open to others is not trusted";
  ASSERT_EQ(chmod(dir.c_str(), 0700), 0);
  EXPECT_TRUE(DevicePresent());
}

enum class Unsafe { kOpenToOthers, kSymbolicLink, kNotADirectory };

struct UnsafeCase {
  const char* name;
  Unsafe kind;
  const char* message;  // part of the simulator's refusal
};

// Names the case in test listings.
void PrintTo(const UnsafeCase& c, std::ostream* os) { *os << c.name; }

class UnsafeDirectoryTest : public ::testing::TestWithParam<UnsafeCase> {};

// A private directory that is not private (or not ours to trust) is refused by both sides: the
// simulator will not listen in it, and the library will not talk to a device behind it, even one
// that would answer.
TEST_P(UnsafeDirectoryTest, BothSidesRefuse) {
  TempDir runtime;
  TempDir elsewhere;
  ScopedEnv noSocket("HADREL_USB_SOCKET", nullptr);
  ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
  const std::string dir = runtime.File("hadrel-usb");

  // A device that answers, in a private directory elsewhere.
  ASSERT_EQ(chmod(elsewhere.path().c_str(), 0700), 0);
  DevsimProcess answering;
  ASSERT_TRUE(answering.StartListening(elsewhere.File("device.sock")));
  switch (GetParam().kind) {
    case Unsafe::kOpenToOthers:
      ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
      ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
      ASSERT_EQ(rename(elsewhere.File("device.sock").c_str(), (dir + "/device.sock").c_str()), 0);
      break;
    case Unsafe::kSymbolicLink:
      ASSERT_EQ(symlink(elsewhere.path().c_str(), dir.c_str()), 0);
      break;
    case Unsafe::kNotADirectory:
      close(open(dir.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
      break;
  }
  EXPECT_FALSE(DevicePresent());
  EXPECT_EQ(CallOpenFile("PIPE00"), INVALID_HANDLE_VALUE);

  DevsimProcess refused;
  refused.Start({}, {"HADREL_USB_SOCKET", "XDG_RUNTIME_DIR=" + runtime.path()});
  const int status = refused.WaitForExit();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
  EXPECT_EQ(refused.CountLines(GetParam().message), 1);
  EXPECT_EQ(refused.CountLines("listening"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Device, UnsafeDirectoryTest,
    ::testing::Values(UnsafeCase{"OpenToOthers", Unsafe::kOpenToOthers, "is open to other users"},
                      UnsafeCase{"SymbolicLink", Unsafe::kSymbolicLink, "is a symbolic link"},
                      UnsafeCase{"NotADirectory", Unsafe::kNotADirectory, "is not a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
  const char* name;
  const char* socketVariable;   // nullptr: unset
  const char* runtimeVariable;  // nullptr: unset; "@" stands for a fresh temporary directory
  std::string expected;         // "@" stands for that directory; empty: refused
};

// Names the case in test listings.
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class SocketPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SocketPathTest, ResolvesFromTheEnvironment) {
  TempDir runtime;
  auto expand = [&](const std::string& text) {
    std::string out = text;
    if (!out.empty() && out[0] == '@') out = runtime.path() + out.substr(1);
    return out;
  };
  const PathCase& c = GetParam();
  std::string runtimeValue = c.runtimeVariable ? expand(c.runtimeVariable) : "";
  ScopedEnv socketVariable("HADREL_USB_SOCKET", c.socketVariable);
  ScopedEnv runtimeVariable("XDG_RUNTIME_DIR", c.runtimeVariable ? runtimeValue.c_str() : nullptr);
  std::string error;
  std::string path = hadrel::DeviceSocketPath(true, &error);
  EXPECT_EQ(path, expand(c.expected));
  EXPECT_EQ(error.empty(), !path.empty()) << error;
}

const std::string kLongPath = "/tmp/" + std::string(120, 'x') + ".sock";

INSTANTIATE_TEST_SUITE_P(
    Device, SocketPathTest,
    ::testing::Values(
        PathCase{"Named", "/somewhere/dev.sock", "@", "/somewhere/dev.sock"},
        PathCase{"EmptyNameMeansDefault", "", "@", "@/hadrel-usb/device.sock"},
        PathCase{"RuntimeDirectory", nullptr, "@", "@/hadrel-usb/device.sock"},
        PathCase{"RelativeRuntimeDirectoryIsIgnored", nullptr, "run",
                 "/tmp/hadrel-usb-" + std::to_string(geteuid()) + "/device.sock"},
        PathCase{"NoRuntimeDirectory", nullptr, nullptr,
                 "/tmp/hadrel-usb-" + std::to_string(geteuid()) + "/device.sock"},
        PathCase{"TooLongForASocket", kLongPath.c_str(), "@", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace devicetest
