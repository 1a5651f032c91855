#include "bench/simulator.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace bench {

namespace {

constexpr std::uint64_t kHeader = 1024;
constexpr std::uint64_t kPreamble = 20;
constexpr std::uint64_t kPiece = 2048;
constexpr int kWaitMs = 30000;

// Waits until `found` finds what it looks for in the log; false after the bound.
template <typename Found>
bool WaitForLog(const std::string& log, Found found) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (!found(ReadFile(log))) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace

SessionTotals ExpectedSession(std::uint64_t imageLength) {
  SessionTotals totals;
  if (imageLength <= kHeader) return totals;
  const std::uint64_t body = imageLength - kHeader;
  totals.bytes = kPreamble + body;
  totals.packets = 1 + (body + kPiece - 1) / kPiece;
  return totals;
}

Simulator::Simulator(const std::string& binDir, const ScratchDir& dir) : log_(dir.File("devsim.log")) {
  const std::string socket = dir.File("socket");
  setenv("HADREL_USB_SOCKET", socket.c_str(), 1);
  process_.Start(binDir + "/hadrel-devsim", {"--socket", socket}, log_);
  if (!WaitForLog(log_, [](const std::string& text) { return text.find("listening on") != std::string::npos; })) {
    throw std::runtime_error("the simulated device did not start listening; its log:\n" + ReadFile(log_));
  }
}

Simulator::~Simulator() { process_.Stop(SIGTERM); }

SessionTotals Simulator::WaitForSession(unsigned session) {
  const std::string prefix = "session " + std::to_string(session) + " closed: ";
  SessionTotals totals;
  const bool closed = WaitForLog(log_, [&](const std::string& text) {
    const std::size_t at = text.find(prefix);
    if (at == std::string::npos || text.find('\n', at) == std::string::npos) return false;
    unsigned long long bytes = 0, packets = 0;
    if (std::sscanf(text.c_str() + at + prefix.size(), "%llu bytes in %llu packets", &bytes, &packets) != 2) return false;
    totals.bytes = bytes;
    totals.packets = packets;
    return true;
  });
  if (!closed) throw std::runtime_error("pipe session " + std::to_string(session) + " of the simulated device never closed");
  return totals;
}

}  // namespace bench
