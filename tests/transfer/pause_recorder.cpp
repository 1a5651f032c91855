#include "tests/transfer/pause_recorder.h"

namespace transfertest {
namespace {
PauseRecorder* g_current = nullptr;
}  // namespace

PauseRecorder::PauseRecorder(std::function<void(DWORD, int)> onPause) : onPause_(std::move(onPause)) {
  g_current = this;
}

PauseRecorder::~PauseRecorder() { g_current = nullptr; }

std::vector<DWORD> PauseRecorder::Pauses() {
  std::lock_guard<std::mutex> lock(mutex_);
  return pauses_;
}

int PauseRecorder::Count(DWORD ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = counts_.find(ms);
  return it == counts_.end() ? 0 : it->second;
}

void PauseRecorder::RecordPause(DWORD ms) {
  PauseRecorder* self = g_current;
  if (!self) return;
  int count;
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->pauses_.push_back(ms);
    count = ++self->counts_[ms];
  }
  if (self->onPause_) self->onPause_(ms, count);
}

}  // namespace transfertest
