// The upgrade end to end: the upgrade window, the real device library and a real simulated
// device that records what it receives. The user presses the image button and answers the
// chooser; the tests read what the window shows and what the device got.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/testing.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "tests/support/devsim_process.h"
#include "tests/upgrade/upgrade_fixture.h"

namespace pt = platform::test;

namespace upgradetest {
namespace {

using devicetest::TempDir;

constexpr const char* kEarlierText = "(the text of an earlier image)";

// What this process's descriptors lead to: "socket:[inode]" for a socket, the path for a file.
std::vector<std::string> DescriptorTargets() {
  std::vector<std::string> targets;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
    if (!error) targets.push_back(target.string());
  }
  return targets;
}

int SocketCount() {
  const std::vector<std::string> targets = DescriptorTargets();
  return static_cast<int>(std::count_if(targets.begin(), targets.end(),
                                        [](const std::string& t) { return t.rfind("socket:", 0) == 0; }));
}

bool FileIsOpen(const std::string& path) {
  const std::vector<std::string> targets = DescriptorTargets();
  return std::find(targets.begin(), targets.end(), path) != targets.end();
}

class Upgrade : public UpgradeWindowTest {
 protected:
  // Presses the image button for `image`, waits for the transfer's end and checks that the
  // device got the image as it must, in session `session`.
  void UpgradeAndCheck(const std::string& image, int session) {
    SCOPED_TRACE(image);
    const PressOutcome press = PressImageButton(image);
    EXPECT_TRUE(press.chooserShown);
    EXPECT_TRUE(press.messages.empty());
    EXPECT_EQ(m_dlg->m_strImagePath, image);
    EXPECT_EQ(pt::TimerPeriod(m_dlg.get(), DEVICE_POLL_TIMER), 1000);
    ASSERT_TRUE(WaitForTransferEnd());
    EXPECT_EQ(Text(IDC_DONE_TEXT), Message("1030"));
    EXPECT_TRUE(BarAtZero());
    EXPECT_TRUE(ImageButtonEnabled());
    ASSERT_TRUE(m_device.process().WaitForLine("session " + std::to_string(session) + " closed"));
    EXPECT_TRUE(m_device.Record("stream", session) == ExpectedStream(image)) << "stream-N.bin differs";
    EXPECT_EQ(m_device.Record("writes", session), ExpectedWrites(image));
  }

  SimulatedDevice m_device;
  TempDir m_dir;
};

TEST_F(Upgrade, SendsThePreambleAndTheBodyAndShowsTheEnd) {
  ASSERT_TRUE(m_device.Start());
  const std::string odd = m_dir.File("odd.rad");
  const std::string whole = m_dir.File("whole-pieces.rad");
  MakeImage(odd, {"--body-size", "5000"});
  MakeImage(whole, {"--body-size", "8192", "--seed", "9"});
  RunWindow([&] {
    // The poll finds the device on its own.
    ASSERT_TRUE(pt::PumpUntil([&] { return m_dlg->m_bDeviceConnected; }));
    // One after the other in the same window: each end makes the next start possible.
    UpgradeAndCheck(Sample("eflash.rad"), 1);
    EXPECT_EQ(Text(IDC_FLASH_INFO), Message("1027"));
    UpgradeAndCheck(odd, 2);
    UpgradeAndCheck(whole, 3);
  });
  ASSERT_FALSE(Message("1030").empty());
}

// The chooser offers one entry that lists .rad files whatever the case of their names, and
// cancelling it changes nothing.
TEST_F(Upgrade, TheChooserListsRadFilesWhateverTheirCaseAndCancellingChangesNothing) {
  for (const char* name : {"lower.rad", "UPPER.RAD", "Mixed.Rad", "other.bin", "near.radx"}) {
    std::ofstream(m_dir.File(name)) << "x";
  }
  const std::string oldDir = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
  std::vector<std::string> listed;
  std::vector<std::string> filters;
  std::vector<std::string> messages;
  RunWindow([&] {
    m_dlg->m_strImagePath = "/earlier/choice.rad";
    m_dlg->SetDlgItemText(IDC_FLASH_INFO, kEarlierText);
    pt::WhenModal([&] {
      filters = pt::ActiveFileDialog().nameFilters;
      pt::PumpUntil([&] {
        listed = pt::FilesListedInActiveDialog();
        return listed.size() >= 3;
      });
      pt::CancelActiveFileDialog();
    });
    const PressOutcome press = PressImageButton("");
    messages = press.messages;
    EXPECT_EQ(m_dlg->m_strImagePath, "/earlier/choice.rad");
    EXPECT_EQ(Text(IDC_FLASH_INFO), kEarlierText);
  });
  ASSERT_EQ(chdir(oldDir.c_str()), 0);
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].rfind("rad file (*.rad)", 0), 0u) << filters[0];
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"Mixed.Rad", "UPPER.RAD", "lower.rad"}));
  EXPECT_TRUE(messages.empty());
}

// Every refusal shows its message, leaves the flash-memory text as the rules say, starts no
// worker and opens no pipe.
TEST_F(Upgrade, RefusalsShowTheirMessageAndOpenNoPipe) {
  ASSERT_TRUE(m_device.Start());
  const std::string fifo = m_dir.File("fifo.rad");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string held = m_dir.File("held.rad");
  MakeImage(held, {});
  const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0) << "another program holds the file exclusively";

  struct Case {
    const char* name;
    std::string image;
    bool deviceFlag;
    const char* key;
    std::string flashInfo;
  };
  std::vector<Case> cases = {
      {"1027 bytes", Sample("too-short-1027.rad"), true, "1023", kEarlierText},
      {"wrong magic byte", Sample("bad-magic.rad"), true, "1022", kEarlierText},
      {"UART serial-flash image with a date", Sample("uart.rad"), true, "1022", Message("1029") + " 1/2/2011"},
      {"no device", Sample("eflash.rad"), false, "1021", Message("1027")},
      {"NAND image, no device", Sample("nand.rad"), false, "1021", kEarlierText},
      {"a FIFO", fifo, true, "1020", kEarlierText},
      {"held exclusively by another program", held, true, "1020", kEarlierText},
  };
  // The superuser reads any file, whatever its permissions say.
  const std::string unreadable = m_dir.File("unreadable.rad");
  if (geteuid() != 0) {
    MakeImage(unreadable, {});
    ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
    cases.push_back({"no permission to read", unreadable, true, "1020", kEarlierText});
  }

  RunWindow([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SetDeviceFlag(c.deviceFlag);
      m_dlg->SetDlgItemText(IDC_FLASH_INFO, kEarlierText);
      const PressOutcome press = PressImageButton(c.image);
      EXPECT_EQ(press.messages, std::vector<std::string>{Message(c.key)});
      EXPECT_FALSE(Message(c.key).empty());
      EXPECT_EQ(Text(IDC_FLASH_INFO), c.flashInfo);
      EXPECT_EQ(m_dlg->m_strImagePath, c.image) << "kept even when refused";
      EXPECT_EQ(platform::RunningWorkerThreads(), 0);
      EXPECT_TRUE(ImageButtonEnabled());
      EXPECT_EQ(Text(IDC_DONE_TEXT), "");
    }
  });
  close(holder);
  m_device.process().Drain();
  EXPECT_EQ(m_device.process().CountLines("session"), 0) << "no pipe was opened";
}

// A file whose length does not fit 32 bits starts nothing: the pipe that was opened for it is
// closed again, with nothing sent.
TEST_F(Upgrade, AFileLongerThan32BitsCanCountSendsNothing) {
  ASSERT_TRUE(m_device.Start());
  const std::string huge = m_dir.File("huge.rad");
  MakeImage(huge, {});
  ASSERT_EQ(truncate(huge.c_str(), (1ll << 32) + 4096), 0) << "sparse: takes no room on disk";
  RunWindow([&] {
    SetDeviceFlag(true);
    const PressOutcome press = PressImageButton(huge);
    EXPECT_TRUE(press.messages.empty());
    EXPECT_EQ(Text(IDC_FLASH_INFO), Message("1027"));
    EXPECT_EQ(platform::RunningWorkerThreads(), 0);
    EXPECT_TRUE(ImageButtonEnabled());
  });
  EXPECT_TRUE(m_device.process().WaitForLine("session 1 closed: 0 bytes in 0 packets"));
}

// A device that takes nothing for a while: the writes are retried, every byte arrives once, and
// the write boundaries stay as they were.
TEST_F(Upgrade, ABusyDeviceGetsEveryByteOnce) {
  ASSERT_TRUE(m_device.Start({"--busy-after", "12000", "--busy-ms", "300"}));
  RunWindow([&] {
    SetDeviceFlag(true);
    UpgradeAndCheck(Sample("eflash.rad"), 1);
  });
  EXPECT_EQ(m_device.process().CountLines("busy for 300 ms"), 1);
}

// Unplugged mid-transfer: the failing piece is tried its 3002 times, then the transfer ends
// with the failure text, the bar at 0, and the image and the pipe released.
TEST_F(Upgrade, AnUnpluggedDeviceEndsTheTransferAsFailed) {
  ASSERT_TRUE(m_device.Start({"--unplug-after", "20000"}));
  RunWindow([&] {
    SetDeviceFlag(true);
    const int socketsBefore = SocketCount();
    const PressOutcome press = PressImageButton(Sample("eflash.rad"));
    EXPECT_TRUE(press.messages.empty());
    ASSERT_TRUE(WaitForTransferEnd());
    EXPECT_EQ(Text(IDC_DONE_TEXT), Message("1032"));
    EXPECT_TRUE(BarAtZero());
    EXPECT_TRUE(ImageButtonEnabled());
    EXPECT_EQ(SocketCount(), socketsBefore) << "the pipe is closed";
    EXPECT_FALSE(FileIsOpen(Sample("eflash.rad")));
  });
  EXPECT_TRUE(m_device.process().WaitForLine("unplugged after"));
  EXPECT_FALSE(Message("1032").empty());
}

// While a transfer runs the image button is disabled, and no press of any kind starts a second
// one; afterwards it is enabled again.
TEST_F(Upgrade, ASecondPressDuringATransferIsImpossible) {
  ASSERT_TRUE(m_device.Start({"--speed", "64"}));
  RunWindow([&] {
    SetDeviceFlag(true);
    PressImageButton(Sample("eflash.rad"));
    ASSERT_EQ(platform::RunningWorkerThreads(), 1) << "64 KiB at 64 KiB/s take about a second";
    EXPECT_FALSE(ImageButtonEnabled());
    // A click, and the notification sent as a program could: neither opens the chooser.
    const PressOutcome click = PressImageButton(Sample("serial-flash-dated.rad"));
    EXPECT_FALSE(click.chooserShown);
    EXPECT_TRUE(click.messages.empty());
    const PressOutcome sent = SendImageButtonNotification(Sample("serial-flash-dated.rad"));
    EXPECT_FALSE(sent.chooserShown);
    EXPECT_EQ(m_dlg->m_strImagePath, Sample("eflash.rad"));
    ASSERT_TRUE(WaitForTransferEnd());
    EXPECT_TRUE(ImageButtonEnabled());
    EXPECT_EQ(Text(IDC_DONE_TEXT), Message("1030"));
  });
  ASSERT_TRUE(m_device.process().WaitForLine("session 1 closed"));
  EXPECT_TRUE(m_device.Record("stream", 1) == ExpectedStream(Sample("eflash.rad")));
  EXPECT_EQ(m_device.process().CountLines("session 2"), 0);
}

// Closing the window mid-transfer: the window object goes while the worker still runs, and the
// worker goes on to its end without touching it (the program itself would end at once).
TEST_F(Upgrade, TheWindowClosedMidTransfer) {
  ASSERT_TRUE(m_device.Start({"--speed", "64"}));
  RunWindow([&] {
    SetDeviceFlag(true);
    PressImageButton(Sample("eflash.rad"));
    // Part-way: the device has taken a few pieces.
    ASSERT_TRUE(pt::PumpUntil([&] {
      struct stat info;
      return stat(m_device.RecordPath("stream", 1).c_str(), &info) == 0 && info.st_size > 20 + 3 * 2048;
    }));
    pt::Click(m_dlg.get(), IDCANCEL);
  });
  ASSERT_EQ(platform::RunningWorkerThreads(), 1) << "the worker must still run for this test";
  m_app.m_pMainWnd = nullptr;
  m_dlg.reset();
  ASSERT_TRUE(platform::WaitForWorkerThreads(devicetest::kWaitMs));
  ASSERT_TRUE(m_device.process().WaitForLine("session 1 closed"));
  EXPECT_TRUE(m_device.Record("stream", 1) == ExpectedStream(Sample("eflash.rad")));
}

}  // namespace
}  // namespace upgradetest
