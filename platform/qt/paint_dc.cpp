// The paint context of a window: drawing on its widget during the widget's paint event.

#include "platform/qt/gdi_context.h"
#include "platform/qt/window_link.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_pWnd(wnd) {
  QWidget* widget = wnd ? WindowRouter::Link(wnd)->widget.data() : nullptr;
  QRect updateRect;
  const bool painting = widget && PaintInProgress::Find(widget, &updateRect);
  Attach(CreateWindowContext(widget, updateRect, painting));
}

CPaintDC::~CPaintDC() {
  // Painting ends here; the context was lent by the paint, so it is freed rather than kept.
  DestroyContext(Detach());
}
