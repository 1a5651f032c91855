#pragma once
// The simulator's log: one line per event on stdout, written at once (never held in a buffer),
// so that a test or a terminal sees each event as it happens.

namespace devsim {

void LogEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace devsim
