// The off-screen drawing surface.

#include "controls/mem_dc.h"

CMemDC::CMemDC(CDC* pDC) : CDC(), m_pOldBitmap(nullptr), m_pTargetDC(pDC) {
  m_bOffscreen = pDC->IsPrinting() ? FALSE : TRUE;
  if (m_bOffscreen) {
    pDC->GetClipBox(&m_rcClip);
    CreateCompatibleDC(pDC);
    // Compatible with the target, not with the new memory context (which holds a monochrome
    // bitmap), so that the picture keeps the target's colours.
    m_bmpOffscreen.CreateCompatibleBitmap(pDC, m_rcClip.Width(), m_rcClip.Height());
    m_pOldBitmap = SelectObject(&m_bmpOffscreen);
    // The caller draws in the target's coordinates: the clip box's top-left corner lands on the
    // bitmap's pixel (0, 0).
    SetWindowOrg(m_rcClip.left, m_rcClip.top);
  } else {
    // Printing: draw on the target's own contexts. They are borrowed, never deleted.
    m_bPrinting = pDC->m_bPrinting;
    m_hDC = pDC->m_hDC;
    m_hAttribDC = pDC->m_hAttribDC;
  }
}

CMemDC::~CMemDC() {
  if (m_bOffscreen) {
    // One block transfer of the clip box: the window origin maps its top-left corner to the
    // bitmap's pixel (0, 0).
    m_pTargetDC->BitBlt(m_rcClip.left, m_rcClip.top, m_rcClip.Width(), m_rcClip.Height(), this, m_rcClip.left,
                        m_rcClip.top, SRCCOPY);
    SelectObject(m_pOldBitmap);
  } else {
    // The target's contexts stay with the target.
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
  }
  // The members go next: m_bmpOffscreen deletes the bitmap, now that it is no longer selected,
  // and then the base CDC deletes the memory context.
}
