// The upgrade window's device poll: on every tick of its timer it asks the device library
// whether the device is attached, shows the answer and re-arms the timer by the answer.

#include "device/device_access.h"
#include "res/resource.h"
#include "ui/vandro_dlg.h"

void CVandroDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != DEVICE_POLL_TIMER) {
    CDialog::OnTimer(nIDEvent);
    return;
  }
  const DevicePresence presence = TestDevicePresence();
  // Without the library the tick changes nothing: text, flag and period stay as they are.
  if (presence == DevicePresence::LibraryMissing) return;

  if (presence == DevicePresence::Attached) {
    m_bDeviceConnected = true;
    SetDlgItemText(IDC_DEVICE_STATUS, GetLangText("message", "1024"));
    SetTimer(DEVICE_POLL_TIMER, 1000, nullptr);
  } else {
    m_bDeviceConnected = false;
    SetDlgItemText(IDC_DEVICE_STATUS, GetLangText("message", "1025"));
    SetTimer(DEVICE_POLL_TIMER, 800, nullptr);
  }
  UpdateData(FALSE);
  CDialog::OnTimer(nIDEvent);
}
