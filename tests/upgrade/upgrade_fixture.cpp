#include "tests/upgrade/upgrade_fixture.h"

#include <fstream>
#include <sstream>

#include "platform/gdi.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/testing.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "tests/support/devsim_process.h"
#include "tests/support/run_program.h"
#include "transfer/transfer_window.h"

namespace pt = platform::test;

namespace upgradetest {

std::string Message(const char* key) {
  char text[260];
  const std::string path = os::DirectoryOf(os::GetModuleFileName()) + "lang.ini";
  os::GetPrivateProfileStringA("message", key, "", text, sizeof text, path.c_str());
  return text;
}

std::string Sample(const char* name) { return std::string(DOWNLOAD_SAMPLES_DIR) + "/" + name; }

void MakeImage(const std::string& path, const std::vector<std::string>& options) {
  devicetest::TempDir scratch;
  std::vector<std::string> args{"make", path};
  args.insert(args.end(), options.begin(), options.end());
  const devicetest::ProgramResult result =
      devicetest::RunProgram(std::string(DOWNLOAD_BIN_DIR) + "/radtool", args, scratch.path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string ExpectedStream(const std::string& path) {
  const std::string image = FileBytes(path);
  return image.substr(0, 20) + image.substr(1024);
}

std::string ExpectedWrites(const std::string& path) {
  const std::size_t body = FileBytes(path).size() - 1024;
  std::string writes = "20\n";
  for (std::size_t at = 0; at < body; at += 2048) writes += std::to_string(std::min<std::size_t>(2048, body - at)) + "\n";
  return writes;
}

SimulatedDevice::SimulatedDevice() : socket_("HADREL_USB_SOCKET", dir_.File("socket").c_str()) {}

bool SimulatedDevice::Start(const std::vector<std::string>& options) {
  std::vector<std::string> args{"--record", dir_.File("record")};
  args.insert(args.end(), options.begin(), options.end());
  return process_.StartListening(dir_.File("socket"), args);
}

std::string SimulatedDevice::RecordPath(const char* kind, int session) const {
  const std::string suffix = std::string(kind) == "stream" ? ".bin" : ".txt";
  return dir_.File("record/" + std::string(kind) + "-" + std::to_string(session) + suffix);
}

std::string SimulatedDevice::Record(const char* kind, int session) const { return FileBytes(RecordPath(kind, session)); }

void UpgradeWindowTest::SetUpTestSuite() { pt::InitWindowSystem(); }

void UpgradeWindowTest::SetUp() {
  m_dlg = std::make_unique<CVandroDlg>();
  m_app.m_pMainWnd = m_dlg.get();
}

void UpgradeWindowTest::TearDown() {
  EXPECT_TRUE(platform::WaitForWorkerThreads(devicetest::kWaitMs)) << "a transfer worker never ended";
  m_app.m_pMainWnd = nullptr;
  m_dlg.reset();
  TransferWorkerPause = os::Sleep;
}

void UpgradeWindowTest::RunWindow(const std::function<void()>& script) {
  pt::WhenModal([this, script] {
    script();
    if (m_dlg && m_dlg->HasWindow()) m_dlg->EndDialog(IDCANCEL);
  });
  m_dlg->DoModal();
}

PressOutcome UpgradeWindowTest::PressImageButton(const std::string& path) {
  return AnswerModalWindowsOf(path, [this] { pt::Click(m_dlg.get(), IDC_SYSTEM_DATA); });
}

PressOutcome UpgradeWindowTest::SendImageButtonNotification(const std::string& path) {
  return AnswerModalWindowsOf(
      path, [this] { m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SYSTEM_DATA, BN_CLICKED), 0); });
}

PressOutcome UpgradeWindowTest::AnswerModalWindowsOf(const std::string& path, const std::function<void()>& press) {
  // Answers whichever modal window opens: the chooser, or a message box. Two are queued, as a
  // press opens at most the chooser and one message box; those left unused are drained below by
  // message boxes of our own, so that no answer waits for a later test's window.
  static const std::string kDrain = "(drained)";
  auto outcome = std::make_shared<PressOutcome>();
  auto answered = std::make_shared<int>(0);
  auto answer = [outcome, answered, path] {
    ++*answered;
    const pt::FileDialogInfo chooser = pt::ActiveFileDialog();
    if (chooser.shown) {
      outcome->chooserShown = true;
      outcome->nameFilters = chooser.nameFilters;
      if (path.empty()) {
        pt::CancelActiveFileDialog();
      } else {
        pt::ChooseFileInActiveDialog(path);
      }
      return;
    }
    const pt::MessageBoxInfo box = pt::ActiveMessageBox();
    if (box.shown) {
      if (box.text != kDrain) outcome->messages.push_back(box.text);
      pt::CloseActiveMessageBox();
    }
  };
  pt::WhenModal(answer);
  pt::WhenModal(answer);
  press();
  while (*answered < 2) AfxMessageBox(kDrain);
  return *outcome;
}

void UpgradeWindowTest::SetDeviceFlag(bool connected) {
  m_dlg->KillTimer(DEVICE_POLL_TIMER);
  m_dlg->m_bDeviceConnected = connected;
}

bool UpgradeWindowTest::WaitForTransferEnd() {
  // The worker enables the button as its last call into the window, and waits until this thread
  // has done so; a worker that no longer runs has made all its calls.
  return pt::PumpUntil([] { return platform::RunningWorkerThreads() == 0; }, devicetest::kWaitMs);
}

std::string UpgradeWindowTest::Text(int id) { return m_dlg->GetDlgItemText(id); }

bool UpgradeWindowTest::ImageButtonEnabled() { return pt::GetControlInfo(m_dlg.get(), IDC_SYSTEM_DATA).enabled; }

bool UpgradeWindowTest::BarAtZero() {
  // Position 0 paints the background with the percentage text on it; a position out of range
  // paints the same background but no text, so the text colour tells the two apart.
  const pt::Image bar = pt::Grab(&m_dlg->m_progress);
  if (bar.width == 0 || bar.Pixel(0, 0) != os::GetSysColor(COLOR_BTNFACE)) return false;
  for (COLORREF pixel : bar.pixels) {
    if (pixel == RGB(0, 128, 0)) return true;
  }
  return false;
}

}  // namespace upgradetest
