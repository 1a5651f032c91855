// The "msctls_progress32" control on Qt: a widget that keeps the control's range and position,
// answers the progress bar's messages and paints a plain bar when no window object paints it.

#include <QPainter>
#include <QPaintEvent>
#include <QWidget>

#include "platform/qt/window_link.h"
#include "platform/resources.h"

namespace {

class ProgressControlWidget : public QWidget, public NativeMessageTarget {
 public:
  ProgressControlWidget(QWidget* parent, DWORD style) : QWidget(parent), m_bordered((style & WS_BORDER) != 0) {}

  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
    switch (message) {
      case PBM_SETRANGE: {
        handled = true;
        const LRESULT previous = MAKELPARAM(static_cast<UINT>(m_lower), static_cast<UINT>(m_upper));
        // The bounds are unsigned 16-bit words, as the standard control takes them.
        const int lower = static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        const int upper = static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lParam)));
        if (lower != m_lower || upper != m_upper) {
          m_lower = lower;
          m_upper = upper;
          m_position = Clamp(m_position);
          update();
        }
        return previous;
      }
      case PBM_SETPOS: {
        handled = true;
        const int previous = m_position;
        const int position = Clamp(static_cast<int>(static_cast<std::intptr_t>(wParam)));
        if (position != m_position) {
          m_position = position;
          update();
        }
        return previous;
      }
      default:
        return 0;
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().color(QPalette::Base));
    const QRect inner = m_bordered ? all.adjusted(1, 1, -1, -1) : all;
    if (m_upper > m_lower && inner.width() > 0) {
      const long long done = static_cast<long long>(m_position - m_lower) * inner.width() / (m_upper - m_lower);
      painter.fillRect(QRect(inner.left(), inner.top(), static_cast<int>(done), inner.height()),
                       palette().color(QPalette::Highlight));
    }
    if (m_bordered) {
      painter.setPen(palette().color(QPalette::Dark));
      painter.drawRect(all.adjusted(0, 0, -1, -1));
    }
  }

 private:
  // Positions outside the range move to its nearer end; with the bounds the wrong way round the
  // lower one wins.
  int Clamp(int position) const {
    if (position > m_upper) position = m_upper;
    if (position < m_lower) position = m_lower;
    return position;
  }

  const bool m_bordered;
  int m_lower = 0;
  int m_upper = 100;
  int m_position = 0;
};

}  // namespace

QWidget* CreateProgressControlWidget(QWidget* parent, DWORD style) { return new ProgressControlWidget(parent, style); }
