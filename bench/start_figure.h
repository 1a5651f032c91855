#pragma once
// From process start to the first complete paint of a window, headless.

#include <string>

namespace bench {

// Starts download-start-probe from `binDir` (DOWNLOAD_START_PROBE=`which`: "" for the upgrade
// window, "about" for the About box) and returns the milliseconds from just before the process
// was made to the probe's report of its first paint. Throws std::runtime_error when the probe
// reports nothing.
double MeasureStart(const std::string& binDir, const std::string& which);

}  // namespace bench
