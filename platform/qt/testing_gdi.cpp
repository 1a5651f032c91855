// Test helpers for drawing: image contexts, a window holding a progress control, and the
// theme's button-face colour.

#include <QApplication>
#include <QPalette>

#include "platform/gdi_testing.h"
#include "platform/qt/gdi_context.h"
#include "platform/qt/window_link.h"
#include "platform/resources.h"

namespace platform::test {

struct ImageContext::State {
  QImage image;
  HDC hdc = nullptr;
};

ImageContext::ImageContext(int width, int height, COLORREF fill, bool printing) : m_state(std::make_unique<State>()) {
  m_state->image = QImage(width, height, QImage::Format_RGB32);
  m_state->image.fill(ToQColor(fill));
  m_state->hdc = CreateImageContext(&m_state->image, m_state->image.rect());
  m_dc.Attach(m_state->hdc);
  m_dc.m_bPrinting = printing ? TRUE : FALSE;
}

ImageContext::~ImageContext() {
  m_dc.Detach();
  DestroyContext(m_state->hdc);
}

void ImageContext::SetClip(const CRect& clip) {
  if (PlatformDC* dc = LiveContext(m_state->hdc)) {
    dc->deviceClip = QRect(clip.left, clip.top, clip.Width(), clip.Height()) & m_state->image.rect();
  }
}

Image ImageContext::Pixels() const {
  Image out;
  out.width = m_state->image.width();
  out.height = m_state->image.height();
  out.pixels.reserve(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) out.pixels.push_back(FromQColor(QColor(m_state->image.pixel(x, y))));
  }
  return out;
}

int ImageContext::BlockTransfers() const {
  PlatformDC* dc = LiveContext(m_state->hdc);
  return dc ? dc->blitsReceived : 0;
}

bool ImageContext::Alive() const { return IsLiveContext(m_state->hdc); }

ProgressControlHost::ProgressControlHost(int id, DWORD style, const CRect& rect) : m_window(std::make_unique<CWnd>()) {
  const std::shared_ptr<WindowLink>& link = WindowRouter::Link(m_window.get());
  auto* window = new QWidget(nullptr, Qt::Window);
  window->resize(rect.right + 10, rect.bottom + 10);
  AttachWidget(link, window);
  QWidget* control = CreateProgressControlWidget(window, style);
  control->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
  control->setProperty("dlgCtrlId", id);
  control->setProperty("dlgClassName", QStringLiteral("msctls_progress32"));
  auto wrapper = std::make_unique<CWnd>();
  AttachWidget(WindowRouter::Link(wrapper.get()), control);
  link->controls[id] = wrapper.get();
  link->ownedControls[id] = std::move(wrapper);
  window->show();
}

ProgressControlHost::~ProgressControlHost() { DestroyWindow(); }

CWnd* ProgressControlHost::Window() { return m_window.get(); }

void ProgressControlHost::DestroyWindow() { DestroyLinkedWindow(WindowRouter::Link(m_window.get())); }

COLORREF SetButtonFaceColor(COLORREF color) {
  QPalette palette = QApplication::palette();
  const COLORREF previous = FromQColor(palette.color(QPalette::Active, QPalette::Button));
  palette.setColor(QPalette::Button, ToQColor(color));
  QApplication::setPalette(palette);
  return previous;
}

}  // namespace platform::test
