#pragma once
// The upgrade window as the transfer worker sees it: a gate that the window object owns and
// closes first thing in its destructor, so that a worker that outlives the window never touches
// the destroyed object.

#include <mutex>

#include "transfer/transfer_window.h"

class CVandroDlg;

class TransferWindowGate : public TransferWindow {
 public:
  explicit TransferWindowGate(CVandroDlg* window);

  // From now on every call does nothing. A call in progress is waited for; it cannot hang,
  // because the window object is destroyed only after its dialog has ended, and cross-thread
  // calls into a destroyed window return at once. Window's thread only.
  void Detach();

  // m_progress.SetPos of the window.
  void SetPos(int position) override;
  // SetDlgItemText(IDC_DONE_TEXT, text) of the window.
  void SetDoneText(const std::string& text) override;
  // Sends WM_TRANSFER_ENDED, on which the window enables its image button again.
  void TransferEnded() override;

 private:
  std::mutex m_mutex;
  CVandroDlg* m_pWindow;  // null once detached
};
