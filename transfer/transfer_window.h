#pragma once
// What the transfer worker does to the upgrade window, from its own thread, and the slot through
// which a new worker finds the window and its pause.

#include <memory>
#include <string>

#include "transfer/stream_image.h"

// Each call blocks until the window's thread has handled it, and does nothing once the window
// is gone (closed, or its object destroyed).
class TransferWindow {
 public:
  virtual ~TransferWindow() = default;
  // Moves the progress bar.
  virtual void SetPos(int position) = 0;
  // Shows the text in IDC_DONE_TEXT.
  virtual void SetDoneText(const std::string& text) = 0;
  // The worker has released the image and the pipe: the window may start the next transfer.
  virtual void TransferEnded() = 0;
};

// The window that the next transfer worker reports to. The start of a transfer sets it before it
// starts the worker, which takes its own reference as it starts; null: the worker reports to no
// window.
extern std::shared_ptr<TransferWindow> TransferWorkerWindow;

// The pause between failed write attempts of the next worker: os::Sleep. Tests put a pause of
// their own here so that thousands of retries take no time.
extern StreamPause TransferWorkerPause;
