#pragma once
// A pause for the streaming code that takes no time: it records each pause it was asked for and
// runs the test's action for it, on the thread that pauses.

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/types.h"

namespace transfertest {

class PauseRecorder {
 public:
  // Installs this recorder as the one RecordPause reports to, with `onPause` run for each pause
  // (given the count of pauses so far of that length, this one included).
  explicit PauseRecorder(std::function<void(DWORD ms, int countOfThisLength)> onPause = nullptr);
  ~PauseRecorder();
  PauseRecorder(const PauseRecorder&) = delete;
  PauseRecorder& operator=(const PauseRecorder&) = delete;

  // The pauses asked for, in order.
  std::vector<DWORD> Pauses();
  int Count(DWORD ms);

  // A StreamPause: records and returns at once.
  static void RecordPause(DWORD ms);

 private:
  std::mutex mutex_;
  std::vector<DWORD> pauses_;
  std::map<DWORD, int> counts_;
  std::function<void(DWORD, int)> onPause_;
};

}  // namespace transfertest
