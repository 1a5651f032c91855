// The bar is hosted in a window of its own, configured as the upgrade window configures it, and
// painted through the window system's own repaint, as after a new position.

#include "bench/paint_figure.h"

#include <benchmark/benchmark.h>

#include <map>
#include <stdexcept>
#include <string>

#include "bench/figure_table.h"
#include "controls/gradient_progress_ctrl.h"
#include "controls/mem_dc.h"
#include "platform/gdi_testing.h"
#include "platform/testing.h"

namespace bench {

namespace {

constexpr int kId = 1003;
constexpr DWORD kStyle = 0x50800001;  // the upgrade window's bar: child, visible, border, smooth
constexpr int kHeight = 20;
constexpr int kWidths[] = {300, 1920};

// The gradient bar as the window has it, counting its paints so that a repaint that paints
// nothing cannot pass for a fast one.
class CountedBar : public CGradientProgressCtrl {
 public:
  long paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CGradientProgressCtrl::OnPaint();
  }
};

// The least a flicker-free paint of the bar does: one fill of its client area off-screen and
// one block transfer.
class FloorBar : public CountedBar {
 protected:
  void OnPaint() override {
    ++paints;
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    CMemDC memDC(&dc);
    CBrush brush;
    brush.CreateSolidBrush(RGB(0, 128, 128));
    memDC.FillRect(&rect, &brush);
    brush.DeleteObject();
  }
};

template <typename Bar>
void PaintOnce(benchmark::State& state, int width) {
  platform::test::ProgressControlHost host(kId, kStyle, CRect(0, 0, width, kHeight));
  Bar bar;
  if (!bar.SubclassDlgItem(kId, host.Window())) {
    state.SkipWithError("the bar could not be bound to its control");
    return;
  }
  // The upgrade window's settings, then the position half-way.
  bar.SetRange(0, 100);
  bar.SetPos(0);
  bar.SetShowPercentage(TRUE);
  bar.SetStartColor(0x808000);
  bar.SetEndColor(0x800000);
  bar.SetTextColor(0x008000);
  bar.SetPos(50);
  // A window paints only once the window system has shown it.
  if (!platform::test::PumpUntil([&] { return bar.paints > 0; })) {
    state.SkipWithError("the bar's window was never shown");
    return;
  }
  bar.paints = 0;
  for (auto _ : state) platform::test::RepaintNow(&bar);
  if (bar.paints < static_cast<long>(state.iterations())) state.SkipWithError("the bar was not painted on every repaint");
}

std::string Name(const char* kind, int width) { return std::string(kind) + "/" + std::to_string(width); }

// Keeps the CPU time of one paint from each repetition of each benchmark, by its name.
class RepetitionCollector : public benchmark::BenchmarkReporter {
 public:
  std::map<std::string, std::vector<double>> times;
  std::string error;

  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) error = run.run_name.function_name + ": " + run.error_message;
      if (run.run_type == Run::RT_Iteration) times[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
    }
  }
};

}  // namespace

std::vector<PaintFigure> MeasurePaint(int repetitions) {
  static bool registered = false;
  if (!registered) {
    registered = true;
    int argc = 1;
    char name[] = "download-bench";
    char* argv[] = {name, nullptr};
    benchmark::Initialize(&argc, argv);
  }
  benchmark::ClearRegisteredBenchmarks();
  for (int width : kWidths) {
    for (auto* b : {benchmark::RegisterBenchmark(Name("bar", width).c_str(), PaintOnce<CountedBar>, width),
                    benchmark::RegisterBenchmark(Name("floor", width).c_str(), PaintOnce<FloorBar>, width)}) {
      b->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(repetitions);
    }
  }
  RepetitionCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  if (!collector.error.empty()) throw std::runtime_error("paint benchmark: " + collector.error);

  std::vector<PaintFigure> figures;
  for (int width : kWidths) {
    PaintFigure figure;
    figure.width = width;
    figure.barMicros = Median(collector.times[Name("bar", width)]);
    figure.floorMicros = Median(collector.times[Name("floor", width)]);
    figures.push_back(figure);
  }
  return figures;
}

}  // namespace bench
