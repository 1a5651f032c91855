// A program that opens the upgrade window and reports on its device poll, for the cases that
// need the device library missing or removed. The window loads the library only from the
// directory of the running executable, so tests copy this program into a directory of their own,
// with or without the library beside it, and run it there.
//
//   poll_probe missing                   the poll ticks a few times without a library
//   poll_probe removed LIBRARY SOCKET    once the device shows attached, LIBRARY is deleted and
//                                        the device is looked for at SOCKET (where nobody is),
//                                        then the poll ticks a few more times
//
// It prints key=value lines (states as NAME.text, NAME.connected, NAME.period), closes the
// window and prints done=1.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/app.h"
#include "platform/testing.h"
#include "res/resource.h"
#include "tests/poll/polled_window.h"

namespace {

namespace pt = platform::test;
using polltest::PollState;
using polltest::PolledWindow;

constexpr int kWaitMs = 30000;  // generous: the machine may be busy

void Print(const char* name, const std::string& value) { std::printf("%s=%s\n", name, value.c_str()); }
void Print(const char* name, long value) { std::printf("%s=%ld\n", name, value); }
void Print(const std::string& name, const PollState& state) {
  Print((name + ".text").c_str(), state.text);
  Print((name + ".connected").c_str(), state.connected ? 1 : 0);
  Print((name + ".period").c_str(), state.period);
}

// Pumps events until `ticks` more poll ticks have reached the window.
bool WaitForTicks(PolledWindow& dlg, int ticks) {
  const int until = dlg.PollTicks() + ticks;
  return pt::PumpUntil([&] { return dlg.PollTicks() >= until; }, kWaitMs);
}

void Missing(PolledWindow& dlg) {
  Print("ticked", WaitForTicks(dlg, 5) ? 1 : 0);
  Print("ticks", dlg.PollTicks());
  Print("after", dlg.Now());
  Print("defaulted", static_cast<long>(dlg.defaulted.size()));
}

void Removed(PolledWindow& dlg, const char* library, const char* socket) {
  Print("found", pt::PumpUntil([&] { return dlg.m_bDeviceConnected; }, kWaitMs) ? 1 : 0);
  Print("attached", dlg.Now());
  // Without the library nothing can be asked; were it still reached, the poll would now find
  // nobody at the socket and say absent.
  Print("deleted", std::remove(library) == 0 ? 1 : 0);
  setenv("HADREL_USB_SOCKET", socket, 1);
  const int ticks = dlg.PollTicks();
  const std::size_t defaulted = dlg.defaulted.size();
  Print("ticked", WaitForTicks(dlg, 2) ? 1 : 0);
  Print("ticks", dlg.PollTicks() - ticks);
  Print("after", dlg.Now());
  Print("defaulted", static_cast<long>(dlg.defaulted.size() - defaulted));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scenario = argc > 1 ? argv[1] : "";
  if (!((scenario == "missing" && argc == 2) || (scenario == "removed" && argc == 4))) {
    std::fprintf(stderr, "usage: poll_probe missing | poll_probe removed LIBRARY SOCKET\n");
    return 2;
  }
  pt::InitWindowSystem();
  CWinApp app;
  PolledWindow dlg;
  app.m_pMainWnd = &dlg;
  pt::WhenModal([&] {
    Print("initial", dlg.initial);
    if (scenario == "missing")
      Missing(dlg);
    else
      Removed(dlg, argv[2], argv[3]);
    pt::Click(&dlg, IDCANCEL);
  });
  const long result = dlg.DoModal();
  app.m_pMainWnd = nullptr;
  Print("done", result == IDCANCEL ? 1 : 0);
  return 0;
}
