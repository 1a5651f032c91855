#include "bench/start_figure.h"

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <stdexcept>

#include "bench/child_process.h"

namespace bench {

double MeasureStart(const std::string& binDir, const std::string& which) {
  ScratchDir dir;
  const std::string output = dir.File("probe.out");
  if (which.empty()) {
    unsetenv("DOWNLOAD_START_PROBE");
  } else {
    setenv("DOWNLOAD_START_PROBE", which.c_str(), 1);
  }
  ChildProcess probe;
  // The probe reads the same monotonic clock, so the two readings can be subtracted.
  const auto started = std::chrono::steady_clock::now().time_since_epoch();
  probe.Start(binDir + "/download-start-probe", {}, output);
  const bool ended = probe.Wait(30000);
  unsetenv("DOWNLOAD_START_PROBE");
  if (!ended) throw std::runtime_error("the start probe did not close within 30 s");
  const std::string text = ReadFile(output);
  const std::size_t at = text.find("first-paint-ns ");
  long long paintedNs = 0;
  if (probe.exitCode() != 0 || at == std::string::npos ||
      std::sscanf(text.c_str() + at, "first-paint-ns %lld", &paintedNs) != 1) {
    throw std::runtime_error("the start probe reported no first paint; it printed:\n" + text);
  }
  const long long startedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
  return static_cast<double>(paintedNs - startedNs) / 1e6;
}

}  // namespace bench
