// Paint events of routed widgets become WM_ERASEBKGND and WM_PAINT for the window object, in
// the order the desktop platform sends them when painting begins.

#include <QPaintEvent>
#include <QPointer>

#include "platform/qt/gdi_context.h"
#include "platform/qt/window_link.h"

bool RoutePaintEvent(const std::shared_ptr<WindowLink>& link, QWidget* widget, QPaintEvent* event) {
  if (!link->owner) return false;
  const QRect area = event->rect();
  QPointer<QWidget> guard(widget);
  PaintInProgress paint(widget, area);

  // Erasing: a handler that answers nonzero has erased (or chosen not to); otherwise the
  // widget's background fills the area being repainted.
  {
    CDC dc;
    dc.Attach(CreateWindowContext(widget, area, true));
    link->passToWidget = false;
    const LRESULT erased = WindowRouter::Dispatch(link->owner, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    PlatformDC* context = LiveContext(dc.m_hDC);
    if (!erased && guard && context && context->painter) {
      context->painter->fillRect(context->deviceClip, widget->palette().brush(widget->backgroundRole()));
    }
    DestroyContext(dc.Detach());
  }
  if (!guard || !link->alive || !link->owner) return true;

  link->passToWidget = false;
  WindowRouter::Dispatch(link->owner, WM_PAINT, 0, 0);
  // Left to the platform (Default()): the widget paints itself once this returns, if it is
  // still there.
  return !guard || !link->passToWidget;
}
