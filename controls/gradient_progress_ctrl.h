#pragma once
// The progress bar of the upgrade window. It paints itself completely: a horizontal gradient
// laid out over the whole client width, of which the position reveals the left part; the rest
// in the background colour; and, when switched on, the percentage centred on top.
//
// It binds to a standard progress bar by subclassing (DDX_Control), so messages it does not
// handle still reach that control, whose repaint on a new range or position makes this one
// repaint. It paints from its own members only and never asks the control for its range or
// position.
//
// Threads: everything on the window's thread, except SetPos, which the transfer worker calls too.

#include <atomic>
#include <cstdint>

#include "platform/gdi.h"
#include "platform/progress_ctrl.h"

class CGradientProgressCtrl : public CProgressCtrl {
 public:
  CGradientProgressCtrl();
  ~CGradientProgressCtrl() override;

  // Stores the bounds and moves the position to the lower bound, then gives the control the
  // low 16 bits of each bound.
  void SetRange(int lower, int upper);
  // Stores the position, then sends it to the control; returns the control's answer (its
  // previous position). Any thread: blocks until the window's thread has handled it, and only
  // stores once the window is gone.
  int SetPos(int position);
  // These take effect at the next paint; they ask for none.
  void SetStartColor(COLORREF color);
  void SetEndColor(COLORREF color);
  void SetTextColor(COLORREF color);
  void SetShowPercentage(BOOL show);

 protected:
  void OnPaint() override;
  // Erases nothing: OnPaint paints every pixel, so the bar does not flicker.
  BOOL OnEraseBkgnd(CDC* pDC) override;

 private:
  // Composes the gradient bands up to the band that reaches `px`, and the background after it,
  // off-screen, and copies them onto `pDC` in one block transfer.
  void DrawGradient(CDC* pDC, CRect& rect, int& px);

  int32_t m_nRangeLower;
  int32_t m_nRangeUpper;
  // Written by the transfer worker as well; a paint reads it once.
  std::atomic<int32_t> m_nPosition;
  COLORREF m_crStart;
  COLORREF m_crEnd;
  COLORREF m_crBackground;
  COLORREF m_crText;
  BOOL m_bShowPercentage;
};
