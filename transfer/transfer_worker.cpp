// The transfer worker: one thread per transfer, started by the image button's handler.

#include <cstdlib>

#include "platform/handle.h"
#include "transfer/rad_header.h"
#include "transfer/stream_image.h"
#include "transfer/transfer_state.h"
#include "transfer/transfer_window.h"
#include "ui/vandro_dlg.h"

TransferRecord TransferState = {};
std::shared_ptr<TransferWindow> TransferWorkerWindow;
StreamPause TransferWorkerPause = os::Sleep;

UINT TransferThreadProc(void* /*pParam: the window, reached through TransferWorkerWindow only*/) {
  const std::shared_ptr<TransferWindow> window = TransferWorkerWindow;
  const StreamPause pause = TransferWorkerPause;

  // Progress counts hundredths of the body; bodies under 100 bytes count bytes.
  DWORD divisor = (TransferState.size - static_cast<DWORD>(RAD_HEADER_LENGTH)) / 100;
  if (divisor == 0) divisor = 1;

  BYTE* const wholeImage = TransferState.image;
  const DWORD wholeLength = TransferState.size;
  TransferState.image += RAD_HEADER_LENGTH;
  TransferState.size -= static_cast<DWORD>(RAD_HEADER_LENGTH);

  // The bar is told each new position, in order, and the position after the last piece. A
  // piece that leaves the position as it was is not told: the bar would show nothing new, and
  // the call blocks until the window's thread has handled it, which for a large image (32768
  // pieces in 64 MiB, 100 positions) would make the window's thread, not the device, set the
  // pace of the transfer.
  bool told = false;
  int toldPosition = 0;
  const StreamResult result = StreamImage(
      TransferState.pipe, wholeImage, wholeLength,
      [&](DWORD sent) {
        TransferState.sent = sent;
        const int position = static_cast<int>(sent / divisor);
        const bool lastPiece = sent == TransferState.size;
        if (window && (!told || position != toldPosition || lastPiece)) {
          window->SetPos(position);
          told = true;
          toldPosition = position;
        }
      },
      pause);

  // A transfer that lost its preamble or a piece must not look finished.
  const char* const doneKey = result.complete ? "1030" : "1032";
  if (window) {
    window->SetDoneText(CVandroDlg::GetLangText("message", doneKey));
    window->SetPos(0);
  }
  TransferState.image -= RAD_HEADER_LENGTH;
  std::free(TransferState.image);
  os::CloseHandle(TransferState.pipe);
  // Last: from here on the window may fill TransferState for the next transfer.
  if (window) window->TransferEnded();
  return 0;
}
