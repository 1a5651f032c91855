// The start of a transfer when the image file changes between the validation read and the
// whole-file read: the device library beside this test program removes, shortens or rewrites the file
// while the pipe opens, and hands out a pipe whose other end the test holds.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "platform/library.h"
#include "platform/testing.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "tests/upgrade/upgrade_fixture.h"

namespace upgradetest {
namespace {

using ArrangeProc = void (*)(const char* imagePath, long long newLength, int pipe);

class ScriptedDevice : public UpgradeWindowTest {
 protected:
  void SetUp() override {
    UpgradeWindowTest::SetUp();
    // Held for the whole test, so that what is arranged survives the tool's load and release.
    m_library = os::LoadLibraryA("HadrelUSB.dll");
    ASSERT_NE(m_library, nullptr);
    m_arrange = reinterpret_cast<ArrangeProc>(os::GetProcAddress(m_library, "scripted_device_arrange"));
    ASSERT_NE(m_arrange, nullptr) << "the library beside this test must be the scripted one";
  }
  void TearDown() override {
    UpgradeWindowTest::TearDown();
    os::FreeLibrary(m_library);
  }

  // A pipe: the library hands out one end, the test reads the other.
  int ArrangePipe(const std::string& imagePath, long long newLength) {
    int ends[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    m_arrange(imagePath.c_str(), newLength, ends[0]);
    return ends[1];
  }

  // Takes the packets waiting at the test's end into `packets`; true once the other end is
  // closed.
  static bool Receive(int end, std::vector<std::string>* packets) {
    std::string buffer(64 * 1024, '\0');
    for (;;) {
      const ssize_t n = recv(end, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (n <= 0) return n == 0;
      packets->emplace_back(buffer.data(), static_cast<std::size_t>(n));
    }
  }

  HMODULE m_library = nullptr;
  ArrangeProc m_arrange = nullptr;
  devicetest::TempDir m_dir;
};

TEST_F(ScriptedDevice, AFileThatChangesWhileThePipeOpensStartsNoTransfer) {
  struct Case {
    const char* name;
    long long newLength;  // -2: its first byte is overwritten; other < 0: the file is removed
  };
  const Case cases[] = {{"removed", -1},
                        {"shorter than header and date", 1027},
                        {"shorter than the header", 500},
                        {"replaced by a file that is no image", -2}};
  RunWindow([&] {
    SetDeviceFlag(true);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const std::string image = m_dir.File(std::string(c.name) + ".rad");
      std::filesystem::copy_file(Sample("eflash.rad"), image);
      const int end = ArrangePipe(image, c.newLength);
      const PressOutcome press = PressImageButton(image);
      EXPECT_TRUE(press.messages.empty());
      EXPECT_EQ(Text(IDC_FLASH_INFO), Message("1027")) << "the validation read saw the whole image";
      EXPECT_EQ(platform::RunningWorkerThreads(), 0);
      EXPECT_TRUE(ImageButtonEnabled());
      EXPECT_EQ(Text(IDC_DONE_TEXT), "");
      std::vector<std::string> packets;
      EXPECT_TRUE(Receive(end, &packets)) << "the pipe is closed again";
      EXPECT_TRUE(packets.empty()) << "nothing reaches the device";
      close(end);
    }
  });
}

// The same library with nothing arranged: the transfer goes through this pipe, so the cases
// above did reach the moment they meant to.
TEST_F(ScriptedDevice, WithTheFileLeftAloneTheTransferUsesThisPipe) {
  RunWindow([&] {
    SetDeviceFlag(true);
    const int end = ArrangePipe("", 0);
    PressImageButton(Sample("eflash.rad"));
    // The test's end is read while the worker writes: a socket pair holds only a few packets.
    std::vector<std::string> packets;
    bool closed = false;
    EXPECT_TRUE(platform::test::PumpUntil([&] {
      closed = Receive(end, &packets) || closed;
      return closed && platform::RunningWorkerThreads() == 0;
    }, devicetest::kWaitMs));
    EXPECT_EQ(Text(IDC_DONE_TEXT), Message("1030"));
    EXPECT_EQ(packets.size(), 1u + 65536 / 2048);
    close(end);
  });
}

}  // namespace
}  // namespace upgradetest
