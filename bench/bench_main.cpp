// download-bench: measures how fast the tool streams an image, paints its bar and starts, and
// how much memory radtool flash holds, each against a reference measured in the same run, and
// prints one table. bench/run builds it in a Release tree and runs it.
//
//   download-bench [--runs N] [stream] [paint] [start] [memory]
//
// Every figure is the median of N runs (default 7; the memory figure of 3). Naming figures runs
// only those.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_image.h"
#include "bench/child_process.h"
#include "bench/figure_table.h"
#include "bench/memory_figure.h"
#include "bench/paint_figure.h"
#include "bench/simulator.h"
#include "bench/start_figure.h"
#include "bench/stream_figures.h"
#include "platform/module.h"
#include "platform/testing.h"

namespace {

using namespace bench;

constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kMemoryRuns = 3;

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

struct Options {
  int runs = 7;
  std::set<std::string> figures;
  bool Wants(const char* figure) const { return figures.empty() || figures.count(figure) != 0; }
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      options->runs = std::atoi(argv[++i]);
      if (options->runs < 1 || options->runs > 50) return false;
    } else if (arg == "stream" || arg == "paint" || arg == "start" || arg == "memory") {
      options->figures.insert(arg);
    } else {
      return false;
    }
  }
  return true;
}

// Checks that the device took exactly what the image should give it.
void CheckSession(Simulator& device, unsigned session, std::uint64_t imageLength, const char* who) {
  const SessionTotals got = device.WaitForSession(session);
  const SessionTotals expected = ExpectedSession(imageLength);
  if (got.bytes != expected.bytes || got.packets != expected.packets) {
    throw std::runtime_error(std::string(who) + ": the device took " + std::to_string(got.bytes) + " bytes in " +
                             std::to_string(got.packets) + " packets, expected " + std::to_string(expected.bytes) +
                             " in " + std::to_string(expected.packets));
  }
}

std::string Rate(double seconds, std::size_t bytes) { return Fixed(bytes / kMiB / seconds, 0) + " MiB/s"; }

// The simulated device and the count of pipe sessions it has had, which every figure that
// sends to it checks.
struct Device {
  Simulator& simulator;
  unsigned sessions = 0;
  void Check(std::uint64_t imageLength, const char* who) { CheckSession(simulator, ++sessions, imageLength, who); }
};

void MeasureStreams(Device& device, int runs, std::vector<FigureRow>* rows, std::vector<std::string>* notes) {
  const std::vector<BYTE> image = MakeImage(kStreamImageLength);
  std::vector<double> bare, engine, window, windowToEnd;
  int bareRetries = 0, engineRetries = 0, windowRetries = 0;
  // One round first that counts for nothing: the first connection, the first window and the
  // first touch of many pages cost what later rounds do not.
  RunBareLoop(image);
  device.Check(image.size(), "bare loop");
  RunEngine(image);
  device.Check(image.size(), "engine");
  RunWindowPath(image);
  device.Check(image.size(), "window");
  // Interleaved, each round in another order, so that a busy moment of the machine, or what one
  // figure leaves behind for the next, falls on all three alike.
  for (int run = 0; run < runs; ++run) {
    for (int turn = 0; turn < 3; ++turn) {
      const int figure = (run + turn) % 3;
      if (figure == 0) {
        const StreamRun r = RunBareLoop(image);
        device.Check(image.size(), "bare loop");
        bare.push_back(r.seconds);
        bareRetries += r.failedWrites;
      } else if (figure == 1) {
        const StreamRun r = RunEngine(image);
        device.Check(image.size(), "engine");
        engine.push_back(r.seconds);
        engineRetries += r.failedWrites;
      } else {
        const StreamRun r = RunWindowPath(image);
        device.Check(image.size(), "window");
        window.push_back(r.seconds);
        windowToEnd.push_back(r.secondsToEnd);
        windowRetries += r.failedWrites;
      }
    }
  }
  const double bareS = Median(bare), engineS = Median(engine), windowS = Median(window);
  const double windowToEndS = Median(windowToEnd);
  const std::string reference = "bare write loop, same device";
  rows->push_back({"Stream, engine (64 MiB)", Rate(engineS, image.size()), reference, Rate(bareS, image.size()),
                   bareS / engineS, "of its speed"});
  rows->push_back({"Stream, window (64 MiB), to the completion text", Rate(windowS, image.size()), reference,
                   Rate(bareS, image.size()), bareS / windowS, "of its speed"});
  notes->push_back("Stream seconds (median): bare loop " + Fixed(bareS, 3) + ", engine " + Fixed(engineS, 3) +
                   ", window " + Fixed(windowS, 3) + " to the completion text and " + Fixed(windowToEndS, 3) +
                   " to the image button enabled again, after the bar's reset, the image's release and the "
                   "pipe's close (" + Fixed(bareS / windowToEndS, 2) + " of the bare loop's speed).");
  notes->push_back("Writes the device refused and that were written again, over all " + std::to_string(runs) +
                   " runs: bare loop " + std::to_string(bareRetries) + ", engine " + std::to_string(engineRetries) +
                   ", window " + std::to_string(windowRetries) + ".");
}

void MeasurePaints(int runs, std::vector<FigureRow>* rows) {
  for (const PaintFigure& p : MeasurePaint(runs)) {
    rows->push_back({"Paint, bar " + std::to_string(p.width) + " px at 50%", Fixed(p.barMicros, 1) + " us",
                     "one fill, same surface", Fixed(p.floorMicros, 1) + " us", p.barMicros / p.floorMicros,
                     "times its time"});
  }
}

void MeasureStarts(const std::string& binDir, int runs, std::vector<FigureRow>* rows) {
  std::vector<double> window, about;
  for (int run = 0; run < runs; ++run) {
    window.push_back(MeasureStart(binDir, ""));
    about.push_back(MeasureStart(binDir, "about"));
  }
  const double windowMs = Median(window), aboutMs = Median(about);
  rows->push_back({"Start to first paint", Fixed(windowMs, 0) + " ms", "About box, same start",
                   Fixed(aboutMs, 0) + " ms", windowMs / aboutMs, "times its time"});
}

void MeasureMemory(const std::string& binDir, const ScratchDir& dir, Device& device, std::vector<FigureRow>* rows) {
  const std::string imagePath = dir.File("256MiB.rad");
  MakeMemoryImage(binDir, imagePath);
  std::vector<double> peaks;
  for (int run = 0; run < kMemoryRuns; ++run) {
    peaks.push_back(static_cast<double>(MeasureFlashMemory(binDir, imagePath)));
    device.Check(kMemoryImageLength, "radtool flash");
  }
  const double peakMiB = Median(peaks) / 1024.0;
  const double imageMiB = kMemoryImageLength / kMiB;
  rows->push_back({"Peak memory, radtool flash", Fixed(peakMiB, 0) + " MiB", "the image", Fixed(imageMiB, 0) + " MiB",
                   peakMiB / imageMiB, "of it (+" + Fixed(peakMiB - imageMiB, 0) + " MiB)"});
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: download-bench [--runs N (1 to 50)] [stream] [paint] [start] [memory]\n");
    return 2;
  }
  const std::string binDir = os::DirectoryOf(os::GetModuleFileName());
  const std::string loadBefore = LoadAverage();
  std::vector<FigureRow> rows;
  std::vector<std::string> notes;
  try {
    ScratchDir dir;
    Simulator simulator(binDir, dir);
    Device device{simulator};
    platform::test::InitWindowSystem();
    if (options.Wants("stream")) MeasureStreams(device, options.runs, &rows, &notes);
    if (options.Wants("paint")) MeasurePaints(options.runs, &rows);
    if (options.Wants("start")) MeasureStarts(binDir, options.runs, &rows);
    if (options.Wants("memory")) MeasureMemory(binDir, dir, device, &rows);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "download-bench: %s\n", e.what());
    return 1;
  }

  std::printf("Median of %d runs (memory: of %d); %u CPUs; load average %s before, %s after.\n\n", options.runs,
              kMemoryRuns, std::thread::hardware_concurrency(), loadBefore.c_str(), LoadAverage().c_str());
  PrintTable(rows);
  std::printf("\nAims: the window at 0.90 or more of the bare loop's speed; a paint well under 1000 us; peak\n"
              "memory no more than the image + 64 MiB.\n");
  for (const std::string& note : notes) std::printf("\n%s\n", note.c_str());
  return 0;
}
