// download-start-probe: the program as it starts, with the upgrade window, which notes the
// moment its first paint is complete and then closes. The program itself holds no such hook;
// this probe links the same window and the same platform start, and differs only in the
// application object below. With DOWNLOAD_START_PROBE=about it opens the About box instead, the
// least window the platform shows, as the reference.
//
// It prints "first-paint-ns N": the steady clock (the system's monotonic clock, shared by every
// process) at that moment, in nanoseconds.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/app.h"
#include "ui/about_dlg.h"
#include "ui/vandro_dlg.h"

namespace {

// Not an id of the window's own timers.
constexpr UINT_PTR kFirstPaintTimer = 0x5EE;

void ReportFirstPaint() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::printf("first-paint-ns %lld\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  std::fflush(stdout);
}

// A window that, after its first paint, lets the window system finish painting its controls
// (a timer of 0 ms fires once the events before it are handled) and then reports and closes.
template <typename Window>
class FirstPaintProbe : public Window {
 protected:
  void OnPaint() override {
    Window::OnPaint();
    if (!m_bPainted) {
      m_bPainted = true;
      this->SetTimer(kFirstPaintTimer, 0, nullptr);
    }
  }
  void OnTimer(UINT_PTR nIDEvent) override {
    if (nIDEvent != kFirstPaintTimer) {
      Window::OnTimer(nIDEvent);
      return;
    }
    this->KillTimer(kFirstPaintTimer);
    ReportFirstPaint();
    this->EndDialog(IDOK);
  }

 private:
  bool m_bPainted = false;
};

// The application's start, step for step, with the probe in place of the window.
class StartProbeApp : public CWinApp {
 public:
  StartProbeApp() : CWinApp(nullptr) {}
  BOOL InitInstance() override {
    INITCOMMONCONTROLSEX InitCtrls;
    InitCtrls.dwSize = sizeof(InitCtrls);
    InitCtrls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&InitCtrls);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");

    const char* which = std::getenv("DOWNLOAD_START_PROBE");
    if (which != nullptr && std::strcmp(which, "about") == 0) {
      FirstPaintProbe<CAboutDlg> dlg;
      m_pMainWnd = &dlg;
      dlg.DoModal();
      m_pMainWnd = nullptr;
    } else {
      FirstPaintProbe<CVandroDlg> dlg;
      m_pMainWnd = &dlg;
      dlg.DoModal();
      m_pMainWnd = nullptr;
    }
    return FALSE;
  }
};

StartProbeApp theApp;

}  // namespace
