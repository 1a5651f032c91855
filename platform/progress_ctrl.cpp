// The progress bar's operations: messages to the control, the same on every platform.

#include "platform/progress_ctrl.h"

CProgressCtrl::CProgressCtrl() = default;

CProgressCtrl::~CProgressCtrl() = default;

void CProgressCtrl::SetRange(short lower, short upper) {
  SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<UINT>(lower), static_cast<UINT>(upper)));
}

int CProgressCtrl::SetPos(int position) {
  return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0));
}
