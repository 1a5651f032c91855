// The upgrade window's whole path for one image: a real upgrade window, headless, whose transfer
// worker moves the bar after each piece while the window's thread paints it.

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/bench_image.h"
#include "bench/stream_figures.h"
#include "device/device_access.h"
#include "platform/handle.h"
#include "platform/app.h"
#include "platform/testing.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "transfer/transfer_state.h"
#include "transfer/transfer_window_gate.h"
#include "ui/vandro_dlg.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// The window as its transfer worker reaches it, noting when the completion text has been shown:
// the call returns once the window's thread has set it.
class NotingGate : public TransferWindow {
 public:
  explicit NotingGate(CVandroDlg* window) : m_gate(window) {}
  void SetPos(int position) override { m_gate.SetPos(position); }
  void SetDoneText(const std::string& text) override {
    m_gate.SetDoneText(text);
    textShown = Clock::now();
  }
  void TransferEnded() override { m_gate.TransferEnded(); }
  void Detach() { m_gate.Detach(); }

  // Written by the worker; read once it has ended.
  Clock::time_point textShown;

 private:
  TransferWindowGate m_gate;
};

// The upgrade window, which notes its first paint, and the moment its transfer worker has ended,
// and then closes.
class TimedUpgradeWindow : public CVandroDlg {
 public:
  bool painted = false;
  Clock::time_point ended;
  bool hasEnded = false;

 protected:
  void OnPaint() override {
    CVandroDlg::OnPaint();
    painted = true;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = CVandroDlg::WindowProc(message, wParam, lParam);
    if (message == WM_TRANSFER_ENDED) {
      ended = Clock::now();
      hasEnded = true;
      EndDialog(IDOK);
    }
    return result;
  }
};

}  // namespace

StreamRun RunWindowPath(const std::vector<BYTE>& image) {
  static CWinApp app;
  TimedUpgradeWindow window;
  app.m_pMainWnd = &window;
  const auto gate = std::make_shared<NotingGate>(&window);
  Clock::time_point start;
  std::string error;
  // The worker frees it, as it frees the buffer of the image button.
  HeapImage copy = HeapCopy(image);

  // What the image button does once it has read the image: the pipe and a heap copy of the
  // image into TransferState, the button disabled, the worker started, the poll every second.
  platform::test::WhenModal([&] {
    // The user presses the button in a window that has painted itself already.
    if (!platform::test::PumpUntil([&] { return window.painted; })) {
      error = "the upgrade window never painted itself";
      window.EndDialog(IDCANCEL);
      return;
    }
    bool loaded = false;
    const HANDLE pipe = OpenDevicePipe(&loaded);
    if (!loaded || pipe == INVALID_HANDLE_VALUE) {
      error = "the simulated device did not open its pipe to the window";
      window.EndDialog(IDCANCEL);
      return;
    }
    TransferState.pipe = pipe;
    TransferState.image = copy.release();
    TransferState.size = static_cast<DWORD>(image.size());
    TransferState.sent = 0;
    if (CWnd* button = window.GetDlgItem(IDC_SYSTEM_DATA)) button->EnableWindow(FALSE);
    TransferWorkerWindow = getenv("TMP_NOWINDOW") ? nullptr : gate;
    TransferWorkerPause = CountedSleep;
    TakePauseCount();
    start = Clock::now();
    if (AfxBeginThread(TransferThreadProc, &window) == nullptr) {
      error = "no thread for the transfer worker";
      std::free(TransferState.image);
      window.EndDialog(IDCANCEL);
      return;
    }
    window.SetTimer(DEVICE_POLL_TIMER, 1000, nullptr);
    if (getenv("TMP_NOWINDOW")) { platform::WaitForWorkerThreads(30000); window.ended = Clock::now(); window.hasEnded = true; window.EndDialog(IDOK); }
  });
  window.DoModal();
  gate->Detach();
  TransferWorkerWindow.reset();
  TransferWorkerPause = os::Sleep;
  app.m_pMainWnd = nullptr;
  if (!platform::WaitForWorkerThreads(30000)) throw std::runtime_error("the transfer worker never ended");
  if (!error.empty()) throw std::runtime_error(error);
  if (!window.hasEnded) throw std::runtime_error("the window closed before its transfer ended");
  if (TransferState.sent != image.size() - 1024) throw std::runtime_error("the window's worker did not send the whole body");

  StreamRun run;
  run.seconds = std::chrono::duration<double>(gate->textShown - start).count();
  run.secondsToEnd = std::chrono::duration<double>(window.ended - start).count();
  run.failedWrites = TakePauseCount();
  return run;
}

}  // namespace bench
