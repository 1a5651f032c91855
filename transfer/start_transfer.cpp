// The image button of the upgrade window: choose an image, check it, describe it, and start its
// transfer to the device on a worker thread.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "device/device_access.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/handle.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "transfer/rad_header.h"
#include "transfer/transfer_state.h"
#include "transfer/transfer_window_gate.h"
#include "ui/vandro_dlg.h"

namespace {

// A refusal: one message box with the text of `key`, and the handler ends.
void Refuse(const char* key) { AfxMessageBox(CVandroDlg::GetLangText("message", key), MB_OK); }

}  // namespace

void CVandroDlg::OnBnClickedSystemData() {
  // The button is disabled while a worker runs; a click that reaches us all the same (a
  // BN_CLICKED sent by a program) must not refill TransferState under that worker.
  CWnd* imageButton = GetDlgItem(IDC_SYSTEM_DATA);
  if (imageButton && !imageButton->IsWindowEnabled()) return;

  // 1. One existing .rad file; a cancelled chooser changes nothing.
  CFileDialog dlgFile(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, "rad file (*.rad) |*.RAD||", this, 0, TRUE);
  if (dlgFile.DoModal() != IDOK) return;

  // 2.
  POSITION pos = dlgFile.GetStartPosition();
  m_strImagePath = dlgFile.GetNextPathName(pos);
  UpdateData(FALSE);

  // 3.-4. The validation read: the header and the image date.
  unsigned char header[RAD_VALIDATION_LENGTH];
  UINT bytesRead = 0;
  {
    CFile file;
    if (!file.Open(m_strImagePath.c_str(), CFile::modeRead | CFile::typeBinary, nullptr)) {
      Refuse("1020");
      return;
    }
    bytesRead = file.Read(header, sizeof header);
    file.Close();
  }

  // 5.
  if (bytesRead < RAD_VALIDATION_LENGTH) {
    Refuse("1023");
    return;
  }
  // 6.
  const RadHeader rad = DecodeRadHeader(header);
  const RadVerdict verdict = JudgeRadImage(bytesRead, rad);
  if (verdict == RadVerdict::NotAnImage) {
    Refuse("1022");
    return;
  }

  // 7. The kind of flash memory, shown also for an image that a later step refuses. The label
  // from lang.ini is an argument of the format, never the format itself.
  char text[260];
  int composed = -1;
  if (rad.flashMemory == FLASH_EFLASH) {
    composed = std::snprintf(text, sizeof text, "%s", GetLangText("message", "1027").c_str());
  } else if (rad.flashMemory == FLASH_SERIAL && RadDatePresent(rad)) {
    composed = std::snprintf(text, sizeof text, "%s %d/%d/%d", GetLangText("message", "1029").c_str(),
                             static_cast<int>(rad.dateFirst), static_cast<int>(rad.dateSecond), 2000 + rad.dateYear);
  } else if (rad.flashMemory == FLASH_SERIAL) {
    composed = std::snprintf(text, sizeof text, "%s", GetLangText("message", "1028").c_str());
  }
  if (composed >= 0) {
    // A text longer than the buffer (a very long label) is cut, never inside a character.
    const size_t length = std::strlen(text);
    const bool cut = static_cast<size_t>(composed) > length;
    SetDlgItemText(IDC_FLASH_INFO, std::string(text, cut ? os::WholeCharacterPrefix(text, length) : length));
  }
  // NAND and every other value leave the text of an earlier image.

  // 8.
  if (verdict == RadVerdict::UartImage) {
    Refuse("1022");
    return;
  }
  // 9.
  if (!m_bDeviceConnected) {
    Refuse("1021");
    return;
  }

  // 10.-11. The pipe, stored as the library returned it.
  bool libraryLoaded = false;
  const HANDLE pipe = OpenDevicePipe(&libraryLoaded);
  if (!libraryLoaded) {
    Refuse("1031");
    return;
  }
  TransferState.pipe = pipe;

  // 12. The second open, for the whole image. The late failures end silently; each closes the
  // pipe again, so nothing reaches the device.
  const HANDLE imageFile =
      os::CreateFileA(m_strImagePath.c_str(), os::GENERIC_READ, os::FILE_SHARE_READ, nullptr, os::OPEN_EXISTING, 0,
                      INVALID_HANDLE_VALUE);
  if (imageFile == INVALID_HANDLE_VALUE) {
    os::CloseHandle(TransferState.pipe);
    return;
  }

  // 13. The length must fit 32 bits, and the file must still hold the header and the date that
  // the validation read saw: it may have changed since.
  DWORD lengthHigh = 0;
  const DWORD length = os::GetFileSize(imageFile, &lengthHigh);
  if (lengthHigh != 0 || length < RAD_VALIDATION_LENGTH) {
    os::CloseHandle(imageFile);
    os::CloseHandle(TransferState.pipe);
    return;
  }
  TransferState.image = static_cast<BYTE*>(std::malloc(length));
  if (TransferState.image == nullptr) {
    os::CloseHandle(imageFile);
    os::CloseHandle(TransferState.pipe);
    return;
  }

  // 14. One read of the whole file; a shorter count (a failed read included) ends here. So does
  // a file whose first bytes are no longer those that were checked: it was replaced since the
  // validation read, and an image nobody checked must not reach the device.
  os::ReadFile(imageFile, TransferState.image, length, &TransferState.size, nullptr);
  if (TransferState.size != length || std::memcmp(TransferState.image, header, RAD_VALIDATION_LENGTH) != 0) {
    std::free(TransferState.image);
    os::CloseHandle(imageFile);
    os::CloseHandle(TransferState.pipe);
    return;
  }

  // 15.
  TransferState.sent = 0;
  os::CloseHandle(imageFile);

  // 16. One transfer at a time: the button stays disabled until the worker has released the
  // image and the pipe (WM_TRANSFER_ENDED).
  if (imageButton) imageButton->EnableWindow(FALSE);
  TransferWorkerWindow = m_transferGate;
  if (AfxBeginThread(TransferThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0, nullptr) == nullptr) {
    // No thread: nothing took over the image and the pipe.
    std::free(TransferState.image);
    os::CloseHandle(TransferState.pipe);
    if (imageButton) imageButton->EnableWindow(TRUE);
    return;
  }

  // 17. The poll goes on during the transfer.
  SetTimer(DEVICE_POLL_TIMER, 1000, nullptr);
}

void CVandroDlg::OnTransferEnded() {
  if (CWnd* imageButton = GetDlgItem(IDC_SYSTEM_DATA)) imageButton->EnableWindow(TRUE);
}
