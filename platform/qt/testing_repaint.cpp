// Painting a window at once, for benchmarks of painting.

#include <QWidget>

#include "platform/qt/window_link.h"
#include "platform/testing.h"
#include "platform/window.h"

namespace platform::test {

void RepaintNow(CWnd* window) {
  QWidget* widget = window ? WindowRouter::Link(window)->widget.data() : nullptr;
  // The widget's own repaint: the same paint event that an update leads to, handled at once.
  if (widget) widget->repaint();
}

}  // namespace platform::test
