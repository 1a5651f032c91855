#pragma once
// The upgrade window as the poll tests watch it: a CVandroDlg that notes its poll state right
// after initialisation, every WM_TIMER that reaches it, and every WM_TIMER that its handler hands
// on to the default handling, with the state at that moment. It changes no behaviour.

#include <ostream>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/window.h"
#include "res/resource.h"
#include "ui/vandro_dlg.h"

namespace polltest {

// What the poll keeps: the status text, the flag and the timer's period (-1: not running).
struct PollState {
  std::string text;
  bool connected = false;
  int period = -1;

  bool operator==(const PollState& other) const {
    return text == other.text && connected == other.connected && period == other.period;
  }
};

// How test failures print a state.
inline void PrintTo(const PollState& state, std::ostream* out) {
  *out << "{\"" << state.text << "\", " << (state.connected ? "connected" : "not connected") << ", "
       << state.period << " ms}";
}

class PolledWindow : public CVandroDlg {
 public:
  PollState Now() {
    return {GetDlgItemText(IDC_DEVICE_STATUS), m_bDeviceConnected,
            platform::test::TimerPeriod(this, DEVICE_POLL_TIMER)};
  }

  // WM_TIMER handed to the default handling: the timer id and the state once the handler ran.
  struct DefaultTick {
    UINT_PTR id;
    PollState state;
  };

  PollState initial;                    // right after OnInitDialog
  std::vector<UINT_PTR> arrived;        // ids of every WM_TIMER that reached the window
  std::vector<DefaultTick> defaulted;   // every WM_TIMER that reached the default handling

  // Poll ticks that reached the window so far.
  int PollTicks() const {
    int count = 0;
    for (UINT_PTR id : arrived) count += id == DEVICE_POLL_TIMER ? 1 : 0;
    return count;
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CVandroDlg::OnInitDialog();
    initial = Now();
    return result;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER) arrived.push_back(static_cast<UINT_PTR>(wParam));
    return CVandroDlg::WindowProc(message, wParam, lParam);
  }

  // The handler reaches the default handling through CWnd::OnTimer, which ends here.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER) defaulted.push_back({static_cast<UINT_PTR>(wParam), Now()});
    return CVandroDlg::DefWindowProc(message, wParam, lParam);
  }
};

}  // namespace polltest
