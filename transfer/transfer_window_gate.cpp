#include "transfer/transfer_window_gate.h"

#include "res/resource.h"
#include "ui/vandro_dlg.h"

TransferWindowGate::TransferWindowGate(CVandroDlg* window) : m_pWindow(window) {}

void TransferWindowGate::Detach() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pWindow = nullptr;
}

// Each call holds the lock while it reaches into the window, so Detach cannot complete (and the
// object cannot go) in the middle of it.
void TransferWindowGate::SetPos(int position) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_pWindow) m_pWindow->m_progress.SetPos(position);
}

void TransferWindowGate::SetDoneText(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_pWindow) m_pWindow->SetDlgItemText(IDC_DONE_TEXT, text);
}

void TransferWindowGate::TransferEnded() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_pWindow) m_pWindow->SendMessage(WM_TRANSFER_ENDED, 0, 0);
}
