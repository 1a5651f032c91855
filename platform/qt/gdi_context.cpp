// Drawing contexts of the Qt backend: making and freeing them, telling live ones from deleted
// ones, and the painter every drawing call goes through.

#include <QGuiApplication>
#include <unordered_set>

#include "platform/qt/gdi_context.h"

namespace {

// Contexts that exist. Handles are plain pointers, so a call on a deleted context must be
// recognised before it is followed. Only the window's thread makes, uses and frees contexts.
std::unordered_set<const PlatformDC*>& LiveContexts() {
  static std::unordered_set<const PlatformDC*> contexts;
  return contexts;
}

PaintInProgress* g_innermostPaint = nullptr;

}  // namespace

QFont DefaultContextFont() { return QGuiApplication::instance() ? QGuiApplication::font() : QFont(); }

PlatformDC* LiveContext(HDC hdc) { return hdc && LiveContexts().count(hdc) ? hdc : nullptr; }

bool IsLiveContext(HDC hdc) { return LiveContext(hdc) != nullptr; }

HDC RegisterContext(std::unique_ptr<PlatformDC> dc) {
  PlatformDC* raw = dc.release();
  LiveContexts().insert(raw);
  return raw;
}

HDC CreateWindowContext(QWidget* widget, const QRect& updateRect, bool inPaintEvent) {
  auto dc = std::make_unique<PlatformDC>();
  dc->kind = PlatformDC::Kind::Window;
  dc->widget = widget;
  dc->font = widget ? widget->font() : DefaultContextFont();
  if (widget && inPaintEvent) {
    dc->painter = std::make_unique<QPainter>(widget);
    if (dc->painter->isActive()) {
      dc->deviceClip = updateRect & widget->rect();
    } else {
      dc->painter.reset();
    }
  }
  return RegisterContext(std::move(dc));
}

HDC CreateImageContext(QImage* image, const QRect& clip) {
  auto dc = std::make_unique<PlatformDC>();
  dc->kind = PlatformDC::Kind::Image;
  dc->image = image;
  dc->deviceClip = image ? clip & image->rect() : QRect();
  dc->font = DefaultContextFont();
  return RegisterContext(std::move(dc));
}

void DestroyContext(HDC hdc) {
  PlatformDC* dc = LiveContext(hdc);
  if (!dc) return;
  LiveContexts().erase(dc);
  if (dc->painter) dc->painter->end();
  // The selected bitmap belongs to its CBitmap, which may now delete it.
  if (dc->selected && dc->selected->GetSafeHandle()) dc->selected->GetSafeHandle()->selectedInto = nullptr;
  dc->selected = nullptr;
  // The object FromHandle made must not delete the context a second time.
  if (dc->temporaryHolder) dc->temporaryHolder->Detach();
  delete dc;
}

bool WithPainter(PlatformDC* dc, const std::function<void(QPainter&)>& draw) {
  switch (dc->kind) {
    case PlatformDC::Kind::Window: {
      if (!dc->painter || !dc->painter->isActive()) return false;
      QPainter& painter = *dc->painter;
      painter.save();
      painter.setClipRect(dc->deviceClip);
      painter.translate(-dc->origin);
      draw(painter);
      painter.restore();
      return true;
    }
    case PlatformDC::Kind::Image: {
      if (!dc->image || dc->image->isNull()) return false;
      QPainter painter(dc->image);
      painter.setClipRect(dc->deviceClip);
      painter.translate(-dc->origin);
      draw(painter);
      return true;
    }
    case PlatformDC::Kind::Memory: {
      PlatformBitmap* bitmap = dc->selected ? dc->selected->GetSafeHandle() : nullptr;
      if (!bitmap || bitmap->image.isNull()) return false;
      QPainter painter(&bitmap->image);
      painter.translate(-dc->origin);
      draw(painter);
      return true;
    }
  }
  return false;
}

PaintInProgress::PaintInProgress(QWidget* widget, const QRect& updateRect)
    : m_widget(widget), m_rect(updateRect), m_outer(g_innermostPaint) {
  g_innermostPaint = this;
}

PaintInProgress::~PaintInProgress() { g_innermostPaint = m_outer; }

bool PaintInProgress::Find(const QWidget* widget, QRect* updateRect) {
  for (PaintInProgress* p = g_innermostPaint; p; p = p->m_outer) {
    if (p->m_widget == widget) {
      *updateRect = p->m_rect;
      return true;
    }
  }
  return false;
}
