#pragma once
// An off-screen drawing surface that stands in for another context, the target, for one
// drawing. It is drawn on like any CDC, in the target's logical coordinates; everything drawn
// within the target's clip box reaches the target in one block transfer when the surface is
// destroyed, so the screen never shows the steps in between. A printing target is not buffered:
// drawing then goes straight to it.
//
// Meant to live on the stack for one drawing. The target is not owned and must outlive it.

#include "platform/gdi.h"

class CMemDC : public CDC {
 public:
  explicit CMemDC(CDC* pDC);
  ~CMemDC() override;

 private:
  // The off-screen bitmap; empty until the constructor creates it.
  CBitmap m_bmpOffscreen;
  // What the memory context held before the off-screen bitmap was selected; null until then.
  CBitmap* m_pOldBitmap;
  // The target; not owned.
  CDC* m_pTargetDC;
  // The target's clip box in its logical coordinates; set only when buffering.
  CRect m_rcClip;
  // TRUE when drawing goes to the off-screen bitmap, FALSE when the target is printing.
  BOOL m_bOffscreen;
};
