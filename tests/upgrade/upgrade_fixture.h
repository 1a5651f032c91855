#pragma once
// The upgrade window driven as the user drives it: press the image button, answer the file
// chooser, read the message boxes; with the device library beside the test program.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/app.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"
#include "ui/vandro_dlg.h"

namespace upgradetest {

// A text of section "message" in the lang.ini beside the test program, read directly.
std::string Message(const char* key);

// A sample image that the build made with radtool ("eflash.rad", "uart.rad", ...).
std::string Sample(const char* name);

// Makes an image with `radtool make path options...`; fails the test when radtool does.
void MakeImage(const std::string& path, const std::vector<std::string>& options);

// The whole content of a file.
std::string FileBytes(const std::string& path);

// The packets the device must receive for the image file at `path`, as the simulator records
// them: stream-N.bin (bytes 0 to 19, then bytes 1024 to the end) and writes-N.txt (20, then
// 2048 as often as fits, then the rest).
std::string ExpectedStream(const std::string& path);
std::string ExpectedWrites(const std::string& path);

// A simulated device on a socket of its own, which the device library beside the test program
// reaches through HADREL_USB_SOCKET; it records every pipe session.
class SimulatedDevice {
 public:
  SimulatedDevice();
  // Starts the simulator with these options besides its socket and record directory.
  bool Start(const std::vector<std::string>& options = {});
  // The record of pipe session `session`: "stream" (the bytes) or "writes" (their lengths).
  std::string Record(const char* kind, int session) const;
  std::string RecordPath(const char* kind, int session) const;
  devicetest::DevsimProcess& process() { return process_; }

 private:
  devicetest::TempDir dir_;
  devicetest::ScopedEnv socket_;
  devicetest::DevsimProcess process_;
};

// What one press of the image button showed.
struct PressOutcome {
  bool chooserShown = false;
  std::vector<std::string> nameFilters;
  std::vector<std::string> messages;  // texts of the message boxes, in order
};

class UpgradeWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  // Waits for a transfer worker that may still run, so that none outlives the test.
  void TearDown() override;

  // Opens the window and runs `script` inside it; closes the window afterwards if the script
  // left it open.
  void RunWindow(const std::function<void()>& script);

  // Inside the window: presses the image button, chooses `path` in the chooser (cancels it when
  // `path` is empty), and reads and closes every message box that the press shows. Modal windows
  // that the press does not open are answered by no one, so nothing is left queued.
  PressOutcome PressImageButton(const std::string& path);
  // The same, with the button's notification sent to the window as a program could send it,
  // whether or not the button is enabled.
  PressOutcome SendImageButtonNotification(const std::string& path);

  // Stops the device poll and sets the device flag as the last poll would have.
  void SetDeviceFlag(bool connected);

  // Pumps the window's events until no transfer worker runs; false after a generous bound.
  bool WaitForTransferEnd();

  // What the window shows.
  std::string Text(int id);
  bool ImageButtonEnabled();
  // The progress bar is at 0: its left end shows the background, not the gradient.
  bool BarAtZero();

  CWinApp m_app;
  std::unique_ptr<CVandroDlg> m_dlg;

 private:
  PressOutcome AnswerModalWindowsOf(const std::string& path, const std::function<void()>& press);
};

}  // namespace upgradetest
