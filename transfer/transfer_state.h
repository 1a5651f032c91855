#pragma once
// The transfer in progress: the one process-wide record that the start of a transfer fills and
// the transfer worker then owns, and the worker's thread procedure.

#include "platform/types.h"

struct TransferRecord {
  // Body bytes delivered so far; 0 at the start.
  DWORD sent;
  // The whole image file's length at the start; while the worker runs, the body's length.
  DWORD size;
  // The whole image file (malloc'ed); while the worker runs it points 1024 bytes further on, at
  // the body. The worker frees it.
  BYTE* image;
  // The device pipe as open_file returned it, untested. The worker closes it.
  HANDLE pipe;
};

// All zero at program start. Written by the window's thread before a worker starts, then read
// and changed by that worker alone until it ends; the image button stays disabled meanwhile, so
// no second start can refill it under a running worker.
extern TransferRecord TransferState;

// Streams the image of TransferState to its pipe, moves the upgrade window's progress bar after
// each delivered piece that changes its position and after the last piece, shows the completion
// text ("1030", or "1032" when a piece or the preamble never went out), sets the bar back to 0,
// frees the image, closes the pipe and enables the image button again. `pParam` is the upgrade
// window; the worker reaches it only through TransferWorkerWindow (transfer/transfer_window.h),
// never through the pointer, because the window object may be destroyed while the worker still
// runs. Returns 0.
UINT TransferThreadProc(void* pParam);
