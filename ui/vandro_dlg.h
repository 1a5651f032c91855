#pragma once
// The upgrade window: the tool's one main window and the holder of the state that device
// polling, the start of an upgrade and the transfer worker share.

#include <memory>
#include <string>

#include "controls/gradient_progress_ctrl.h"
#include "platform/window.h"

class TransferWindowGate;

// A message of the upgrade window's own (WM_APP + 1): the transfer worker has ended and released
// the image and the pipe.
constexpr UINT WM_TRANSFER_ENDED = 0x8000 + 1;

class CVandroDlg : public CDialog {
 public:
  explicit CVandroDlg(CWnd* pParent = nullptr);
  ~CVandroDlg() override;

  // The text of `key` in `section` of lang.ini beside the executable, at most 259 bytes; empty
  // when the file, the section or the key is missing. Each caller gets its own copy; any thread.
  static std::string GetLangText(const char* section, const char* key);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT nID, LPARAM lParam) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  void OnTimer(UINT_PTR nIDEvent) override;
  // Routes BN_CLICKED of the image button to OnBnClickedSystemData.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Routes WM_TRANSFER_ENDED to OnTransferEnded.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The image button: choose, check and describe an image, and start its transfer.
  void OnBnClickedSystemData();
  // Enables the image button again once the worker has ended.
  void OnTransferEnded();

 public:
  HICON m_hIcon;
  // The last device poll found the device.
  bool m_bDeviceConnected;
  // The progress bar, bound to IDC_PROGRESS by the first data exchange; the transfer worker
  // moves it.
  CGradientProgressCtrl m_progress;
  // Full path of the image chosen last.
  std::string m_strImagePath;

 private:
  // The transfer worker's way to this window; closed first thing in the destructor, because a
  // worker may outlive the window object.
  std::shared_ptr<TransferWindowGate> m_transferGate;
};
