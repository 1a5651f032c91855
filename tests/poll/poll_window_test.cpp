// The upgrade window's device poll with the real device library and a real simulator process:
// the device present at start, unplugged and plugged in again, foreign timer ids, and the
// descriptors that every tick must give back.

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/app.h"
#include "platform/testing.h"
#include "res/resource.h"
#include "tests/poll/expected_states.h"
#include "tests/poll/polled_window.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace polltest {
namespace {

namespace pt = platform::test;
using devicetest::DevsimProcess;
using devicetest::kWaitMs;

class PollWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { pt::InitWindowSystem(); }

  void SetUp() override {
    // Without two different texts the cases below could not tell the states apart.
    ASSERT_FALSE(Attached().text.empty());
    ASSERT_NE(Attached().text, Absent().text);
    m_app.m_pMainWnd = &m_dlg;
  }
  void TearDown() override { m_app.m_pMainWnd = nullptr; }

  // Opens the window and runs `script` inside it. The window is closed afterwards, also when
  // the script stopped at a failed assertion.
  void Run(std::function<void()> script) {
    pt::WhenModal([this, script] {
      script();
      pt::Click(&m_dlg, IDCANCEL);
    });
    EXPECT_EQ(m_dlg.DoModal(), IDCANCEL);
  }

  // Pumps the window's events until `count` timer messages have reached the default handling.
  bool WaitForDefaulted(std::size_t count) {
    return pt::PumpUntil([&] { return m_dlg.defaulted.size() >= count; }, kWaitMs);
  }

  // The state that the next poll tick leaves behind.
  PollState NextTick() {
    const std::size_t next = m_dlg.defaulted.size();
    if (!WaitForDefaulted(next + 1)) {
      ADD_FAILURE() << "no poll tick came";
      return {};
    }
    EXPECT_EQ(m_dlg.defaulted[next].id, static_cast<UINT_PTR>(DEVICE_POLL_TIMER));
    return m_dlg.defaulted[next].state;
  }

  // Ends the simulator as pulling the plug would: from now on nobody answers on the socket.
  void Unplug(DevsimProcess& device) { ASSERT_NE(device.Stop(SIGTERM), -1) << "the simulator did not end"; }

  devicetest::TempDir m_dir;
  const std::string m_socket = m_dir.File("dev.sock");
  devicetest::ScopedEnv m_socketEnv{"HADREL_USB_SOCKET", m_socket.c_str()};
  DevsimProcess m_device;
  CWinApp m_app;
  PolledWindow m_dlg;
};

TEST_F(PollWindow, DeviceAttachedAtStartIsShownAtTheFirstTickThenPolledEverySecond) {
  ASSERT_TRUE(m_device.StartListening(m_socket));
  Run([&] {
    EXPECT_EQ(m_dlg.initial, Starting());
    EXPECT_EQ(NextTick(), Attached());
    ASSERT_FALSE(m_dlg.arrived.empty());
    EXPECT_EQ(m_dlg.arrived.front(), static_cast<UINT_PTR>(DEVICE_POLL_TIMER)) << "the first tick";
    // The timer goes on at the new period, and every tick asks the device again.
    EXPECT_EQ(NextTick(), Attached());
    EXPECT_TRUE(m_device.WaitForLine("presence test: present", 2));
  });
}

TEST_F(PollWindow, UnpluggedDeviceIsShownAbsentAndPluggedInAgainAttached) {
  ASSERT_TRUE(m_device.StartListening(m_socket));
  Run([&] {
    ASSERT_EQ(NextTick(), Attached());
    Unplug(m_device);
    EXPECT_EQ(NextTick(), Absent());
    EXPECT_EQ(NextTick(), Absent()) << "absent stays absent";

    DevsimProcess again;
    ASSERT_TRUE(again.StartListening(m_socket));
    EXPECT_EQ(NextTick(), Attached());
  });
}

TEST_F(PollWindow, NoDeviceAtStartIsShownAbsent) {
  // Nobody listens on the socket at all.
  Run([&] {
    EXPECT_EQ(m_dlg.initial, Starting());
    EXPECT_EQ(NextTick(), Absent());
  });
}

TEST_F(PollWindow, ForeignTimerIdOnlyReachesTheDefaultHandling) {
  ASSERT_TRUE(m_device.StartListening(m_socket));
  Run([&] {
    ASSERT_EQ(NextTick(), Attached());
    // With the device gone, a poll would now say absent: any change shows that one ran. No
    // events are processed between these calls, so the poll's own timer cannot come between.
    Unplug(m_device);
    for (const UINT_PTR id : {UINT_PTR{0}, UINT_PTR{2}, UINT_PTR{0xFFFF}}) {
      const std::size_t before = m_dlg.defaulted.size();
      pt::FireTimer(&m_dlg, id);
      ASSERT_EQ(m_dlg.defaulted.size(), before + 1) << "timer " << id << " did not reach the default handling";
      EXPECT_EQ(m_dlg.defaulted[before].id, id);
      EXPECT_EQ(m_dlg.Now(), Attached()) << "timer " << id;
    }
    // The poll's own id, delivered the same way, does find the device gone.
    pt::FireTimer(&m_dlg, DEVICE_POLL_TIMER);
    EXPECT_EQ(m_dlg.Now(), Absent());
  });
}

TEST_F(PollWindow, ManyTicksLeaveNoDescriptorOpen) {
  constexpr int kTicks = 200;
  // Delivers kTicks poll ticks at once and checks that the process holds no more descriptors
  // than before; nothing else runs in between.
  auto tickMany = [&](const char* phase, const PollState& expected) {
    const int before = devicetest::OpenDescriptorCount();
    for (int i = 0; i < kTicks; ++i) pt::FireTimer(&m_dlg, DEVICE_POLL_TIMER);
    EXPECT_EQ(devicetest::OpenDescriptorCount(), before) << phase;
    EXPECT_EQ(m_dlg.Now(), expected) << phase;
  };
  ASSERT_TRUE(m_device.StartListening(m_socket));
  Run([&] {
    ASSERT_EQ(NextTick(), Attached());
    const int presenceTests = m_device.CountLines("presence test: present");
    tickMany("device attached", Attached());
    // Every tick did ask the device, so each one got a handle of its own to close.
    EXPECT_TRUE(m_device.WaitForLine("presence test: present", presenceTests + kTicks));
    Unplug(m_device);
    tickMany("device absent", Absent());
  });
}

}  // namespace
}  // namespace polltest
