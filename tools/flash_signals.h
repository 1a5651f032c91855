#pragma once
// Signals during `radtool flash`: Ctrl-C (SIGINT) and SIGTERM ask the transfer to stop between
// two pieces, so that the pipe is closed in order and the user is told what the device holds;
// SIGPIPE is ignored, so that a reader of our output that goes away (`radtool flash ... | head`)
// cannot end a transfer half-way.

#include <atomic>

// Installs the handlers. The first SIGINT or SIGTERM sets the flag that the stream watches; a
// second one ends the process at once, for a user who does not want to wait. Returns the flag.
const std::atomic<bool>* InstallFlashSignals();

// The signal that asked to stop (SIGINT or SIGTERM), or 0 while none did.
int FlashStopSignal();
