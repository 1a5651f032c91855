#pragma once
// One paint of the upgrade window's gradient bar, measured with Google Benchmark.

#include <vector>

namespace bench {

struct PaintFigure {
  int width = 0;           // pixels; the bar is 20 pixels high, at position 50 of 0 to 100
  double barMicros = 0;    // one paint of the gradient bar, median CPU time
  double floorMicros = 0;  // the reference: one paint of the same window that fills it in one
                           // colour through the same off-screen surface
};

// The bar at 300 and at 1920 pixels wide. Needs the window system
// (platform::test::InitWindowSystem). Each figure is the median of `repetitions` benchmark runs.
std::vector<PaintFigure> MeasurePaint(int repetitions);

}  // namespace bench
