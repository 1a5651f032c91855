#pragma once
// The standard progress bar ("msctls_progress32") as a window object. The control keeps its own
// range and position, clamps the position into the range, and repaints itself whole whenever
// either changes. Bind it to a dialog's control with DDX_Control or SubclassDlgItem.

#include "platform/window.h"

class CProgressCtrl : public CWnd {
 public:
  CProgressCtrl();
  ~CProgressCtrl() override;

  // Sends PBM_SETRANGE with lower in the low word and upper in the high word of lParam. The
  // control takes both words as unsigned 16-bit bounds and moves its position into the range.
  void SetRange(short lower, short upper);
  // Sends PBM_SETPOS with the position in wParam and returns what the control answers: its
  // previous position (0 without a window). Any thread: blocks until the window's thread has
  // handled it, and does nothing once the window is gone.
  int SetPos(int position);
};
