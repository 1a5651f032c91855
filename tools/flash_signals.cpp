#include "tools/flash_signals.h"

#include <csignal>

namespace {

// A signal handler may only touch lock-free atomics; these are set there and read by the
// stream between pieces.
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "the signal number is set from a signal handler");
std::atomic<bool> g_stop{false};
std::atomic<int> g_stopSignal{0};

void OnStopSignal(int signal) {
  int expected = 0;
  g_stopSignal.compare_exchange_strong(expected, signal);
  g_stop.store(true);
}

}  // namespace

const std::atomic<bool>* InstallFlashSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESETHAND: the handler runs once; the next signal has its default effect and ends us.
  // SA_RESTART: our own output to a terminal is not cut short by the signal.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return &g_stop;
}

int FlashStopSignal() { return g_stopSignal.load(); }
