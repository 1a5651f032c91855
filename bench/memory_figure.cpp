#include "bench/memory_figure.h"

#include <stdexcept>

#include "bench/child_process.h"

namespace bench {

namespace {

// Runs radtool with `args` to its end and returns its peak resident memory in KiB.
long RunRadtool(const std::string& binDir, const std::vector<std::string>& args, const std::string& output) {
  ChildProcess radtool;
  radtool.Start(binDir + "/radtool", args, output);
  if (!radtool.Wait(120000)) throw std::runtime_error("radtool " + args[0] + " did not end within 120 s");
  if (radtool.exitCode() != 0) {
    throw std::runtime_error("radtool " + args[0] + " failed (exit " + std::to_string(radtool.exitCode()) +
                             "):\n" + ReadFile(output));
  }
  return radtool.peakResidentKiB();
}

}  // namespace

void MakeMemoryImage(const std::string& binDir, const std::string& imagePath) {
  RunRadtool(binDir, {"make", imagePath, "--body-size", std::to_string(kMemoryImageLength - 1024)},
             imagePath + ".make.out");
}

long MeasureFlashMemory(const std::string& binDir, const std::string& imagePath) {
  return RunRadtool(binDir, {"flash", imagePath}, imagePath + ".flash.out");
}

}  // namespace bench
