// Drawing contexts, brushes and bitmaps on Qt: QImage bitmaps, QPainter drawing.

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "platform/qt/gdi_context.h"
#include "platform/qt/icon.h"

namespace {

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// The colour format of what a context draws on; see CBitmap::CreateCompatibleBitmap.
QImage::Format DeviceFormat(const PlatformDC* dc) {
  switch (dc->kind) {
    case PlatformDC::Kind::Window:
      return QImage::Format_RGB32;
    case PlatformDC::Kind::Image:
      return dc->image ? dc->image->format() : QImage::Format_RGB32;
    case PlatformDC::Kind::Memory:
      break;
  }
  const PlatformBitmap* bitmap = dc->selected ? dc->selected->GetSafeHandle() : nullptr;
  return bitmap ? bitmap->format : QImage::Format_Mono;
}

// A new bitmap's pixels, black like a fresh bitmap of the desktop platform; null when the size
// is empty or too large to allocate.
QImage NewBitmapImage(int width, int height, QImage::Format format) {
  if (width <= 0 || height <= 0) return QImage();
  QImage image(width, height, format);
  if (image.isNull()) return image;
  if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) {
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  }
  image.fill(0);
  return image;
}

// The pixels a context can be read from by BitBlt: its bitmap or image, not a window.
const QImage* SourceImage(const PlatformDC* dc) {
  if (dc->kind == PlatformDC::Kind::Image) return dc->image;
  if (dc->kind == PlatformDC::Kind::Memory && dc->selected && dc->selected->GetSafeHandle()) {
    return &dc->selected->GetSafeHandle()->image;
  }
  return nullptr;
}

// Fills `rect` (logical coordinates) of a memory context's bitmap with an opaque colour without a
// painter, when the bitmap holds 32-bit pixels: there the fill is the colour's value in every
// pixel, as a painter would write it. A paint fills up to 256 bands into one bitmap, and setting
// up a painter for each would cost many times the fill. False, filling nothing, for any other
// context or format.
bool FillBitmapDirectly(PlatformDC* dc, const QRect& rect, const QColor& color) {
  if (dc->kind != PlatformDC::Kind::Memory || !dc->selected || !dc->selected->GetSafeHandle()) return false;
  QImage& image = dc->selected->GetSafeHandle()->image;
  const QImage::Format format = image.format();
  if (image.isNull() || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
                         format != QImage::Format_ARGB32_Premultiplied)) {
    return false;
  }
  const QRect area = rect.translated(-dc->origin) & image.rect();
  const QRgb pixel = color.rgb();
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + area.left(), area.width(), pixel);
  }
  return true;
}

}  // namespace

// ---- CBrush

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  if (m_bHasBrush) return FALSE;
  m_bHasBrush = true;
  m_crColor = color & 0x00FFFFFF;
  return TRUE;
}

BOOL CBrush::DeleteObject() {
  if (!m_bHasBrush) return FALSE;
  m_bHasBrush = false;
  return TRUE;
}

// ---- CBitmap

CBitmap::~CBitmap() {
  if (m_hObject && m_hObject->selectedInto) {
    // Destroyed while selected: the context goes back to its own bitmap instead of keeping a
    // dangling one.
    PlatformDC* dc = m_hObject->selectedInto;
    m_hObject->selectedInto = nullptr;
    if (this == &dc->stockBitmap) {
      dc->selected = nullptr;
    } else {
      dc->selected = &dc->stockBitmap;
      if (dc->stockBitmap.m_hObject) dc->stockBitmap.m_hObject->selectedInto = dc;
    }
  }
  DeleteObject();
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  if (m_hObject || !dc || width < 0 || height < 0) return FALSE;
  PlatformDC* context = LiveContext(dc->m_hDC);
  if (!context) return FALSE;
  auto bitmap = std::make_unique<PlatformBitmap>();
  bitmap->format = DeviceFormat(context);
  bitmap->image = NewBitmapImage(width, height, bitmap->format);
  if (width > 0 && height > 0 && bitmap->image.isNull()) return FALSE;
  m_hObject = bitmap.release();
  return TRUE;
}

BOOL CBitmap::DeleteObject() {
  if (!m_hObject || m_hObject->selectedInto) return FALSE;
  delete m_hObject;
  m_hObject = nullptr;
  return TRUE;
}

// ---- CDC: the context itself

CDC::~CDC() {
  if (m_hDC) DeleteDC();
}

CDC* CDC::FromHandle(HDC hdc) {
  PlatformDC* dc = LiveContext(hdc);
  if (!dc) return nullptr;
  if (dc->holder) return dc->holder;
  if (!dc->temporaryHolder) {
    dc->temporaryHolder = std::make_unique<CDC>();
    dc->temporaryHolder->m_hDC = hdc;
    dc->temporaryHolder->m_hAttribDC = hdc;
  }
  return dc->temporaryHolder.get();
}

BOOL CDC::Attach(HDC hdc) {
  if (m_hDC || !hdc) return FALSE;
  m_hDC = hdc;
  m_hAttribDC = hdc;
  if (PlatformDC* dc = LiveContext(hdc)) {
    if (!dc->holder) dc->holder = this;
  }
  return TRUE;
}

HDC CDC::Detach() {
  HDC hdc = m_hDC;
  if (PlatformDC* dc = LiveContext(hdc)) {
    if (dc->holder == this) dc->holder = nullptr;
  }
  m_hDC = nullptr;
  m_hAttribDC = nullptr;
  return hdc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  if (m_hDC) return FALSE;
  if (dc && !LiveContext(dc->m_hDC)) return FALSE;
  auto context = std::make_unique<PlatformDC>();
  context->kind = PlatformDC::Kind::Memory;
  context->font = DefaultContextFont();
  auto stock = std::make_unique<PlatformBitmap>();
  stock->format = QImage::Format_Mono;
  stock->image = NewBitmapImage(1, 1, stock->format);
  stock->selectedInto = context.get();
  context->stockBitmap.m_hObject = stock.release();
  context->selected = &context->stockBitmap;
  return Attach(RegisterContext(std::move(context)));
}

BOOL CDC::DeleteDC() {
  HDC hdc = Detach();
  if (!LiveContext(hdc)) return FALSE;
  DestroyContext(hdc);
  return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || dc->kind != PlatformDC::Kind::Memory || !bitmap || !bitmap->m_hObject) return nullptr;
  PlatformBitmap* handle = bitmap->m_hObject;
  if (handle->selectedInto && handle->selectedInto != dc) return nullptr;
  CBitmap* previous = dc->selected;
  if (previous && previous->m_hObject) previous->m_hObject->selectedInto = nullptr;
  handle->selectedInto = dc;
  dc->selected = bitmap;
  return previous;
}

int CDC::GetClipBox(CRect* rect) const {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || !rect) return ERROR;
  QRect device;
  switch (dc->kind) {
    case PlatformDC::Kind::Window:
      if (dc->painter) device = dc->deviceClip;
      break;
    case PlatformDC::Kind::Image:
      device = dc->deviceClip;
      break;
    case PlatformDC::Kind::Memory:
      if (const QImage* image = SourceImage(dc)) device = image->rect();
      break;
  }
  if (device.isEmpty()) {
    *rect = CRect();
    return NULLREGION;
  }
  const QRect logical = device.translated(dc->origin);
  *rect = CRect(logical.left(), logical.top(), logical.left() + logical.width(), logical.top() + logical.height());
  return SIMPLEREGION;
}

CPoint CDC::SetWindowOrg(int x, int y) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc) return CPoint();
  const CPoint previous(dc->origin.x(), dc->origin.y());
  dc->origin = QPoint(x, y);
  return previous;
}

CPoint CDC::GetWindowOrg() const {
  PlatformDC* dc = LiveContext(m_hDC);
  return dc ? CPoint(dc->origin.x(), dc->origin.y()) : CPoint();
}

// ---- CDC: attributes. They are set on the output context and, when it is another one, on the
// attribute context, so that both agree.

COLORREF CDC::SetTextColor(COLORREF color) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->textColor;
  dc->textColor = color & 0x00FFFFFF;
  if (PlatformDC* attrib = LiveContext(m_hAttribDC)) attrib->textColor = dc->textColor;
  return previous;
}

COLORREF CDC::SetBkColor(COLORREF color) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->bkColor;
  dc->bkColor = color & 0x00FFFFFF;
  if (PlatformDC* attrib = LiveContext(m_hAttribDC)) attrib->bkColor = dc->bkColor;
  return previous;
}

int CDC::SetBkMode(int mode) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  const int previous = dc->bkMode;
  dc->bkMode = mode;
  if (PlatformDC* attrib = LiveContext(m_hAttribDC)) attrib->bkMode = mode;
  return previous;
}

// ---- CDC: drawing

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
  PlatformDC* dst = LiveContext(m_hDC);
  PlatformDC* from = src ? LiveContext(src->m_hDC) : nullptr;
  if (!dst || !from || rop != SRCCOPY) return FALSE;
  if (width <= 0 || height <= 0) return TRUE;
  const QImage* source = SourceImage(from);
  if (!source || source->isNull()) return FALSE;
  const QRect wanted(xSrc - from->origin.x(), ySrc - from->origin.y(), width, height);
  const QRect available = wanted & source->rect();
  if (available.isEmpty()) return TRUE;
  const QPoint to(x + available.left() - wanted.left(), y + available.top() - wanted.top());
  // A context that copies within itself copies from a copy of the piece; any other reads the
  // source in place.
  const bool withinItself = from == dst || (dst->kind == PlatformDC::Kind::Image && dst->image == source);
  const QImage piece = withinItself ? source->copy(available) : QImage();
  const bool drawn = WithPainter(dst, [&](QPainter& painter) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (withinItself) {
      painter.drawImage(to, piece);
    } else {
      painter.drawImage(to, *source, available);
    }
  });
  if (drawn) ++dst->blitsReceived;
  return drawn ? TRUE : FALSE;
}

int CDC::FillRect(const CRect* rect, CBrush* brush) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || !rect || !brush || !brush->HasBrush()) return 0;
  if (rect->IsRectEmpty()) return 1;
  const QColor color = ToQColor(brush->Color());
  if (FillBitmapDirectly(dc, ToQRect(*rect), color)) return 1;
  return WithPainter(dc, [&](QPainter& painter) { painter.fillRect(ToQRect(*rect), color); }) ? 1 : 0;
}

int CDC::DrawText(const std::string& text, CRect* rect, UINT format) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || !rect) return 0;
  // Text is drawn without smoothing, as the desktop platform's dialog fonts are, so that every
  // pixel of a glyph has the text colour.
  QFont font = dc->font;
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics metrics(font);
  const QString line = QString::fromStdString(text);
  const int textWidth = metrics.horizontalAdvance(line);
  const int textHeight = metrics.height();
  const QRect box = ToQRect(*rect);
  const int x = (format & DT_CENTER) ? box.left() + (box.width() - textWidth) / 2 : box.left();
  const int y = ((format & DT_VCENTER) && (format & DT_SINGLELINE)) ? box.top() + (box.height() - textHeight) / 2
                                                                    : box.top();
  WithPainter(dc, [&](QPainter& painter) {
    painter.setClipRect(box, Qt::IntersectClip);
    if (dc->bkMode == OPAQUE) painter.fillRect(QRect(x, y, textWidth, textHeight), ToQColor(dc->bkColor));
    painter.setFont(font);
    painter.setPen(ToQColor(dc->textColor));
    painter.drawText(QPoint(x, y + metrics.ascent()), line);
  });
  return textHeight;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
  PlatformDC* dc = LiveContext(m_hDC);
  if (!dc || !icon || icon->image.isNull()) return FALSE;
  const QRect target(x, y, os::GetSystemMetrics(SM_CXICON), os::GetSystemMetrics(SM_CYICON));
  return WithPainter(dc, [&](QPainter& painter) {
           painter.setRenderHint(QPainter::SmoothPixmapTransform);
           painter.drawImage(target, icon->image);
         })
             ? TRUE
             : FALSE;
}

// ---- System colours and sizes

namespace os {

COLORREF GetSysColor(int index) {
  if (index != COLOR_BTNFACE) return 0;
  // Without the window system there is no theme: the desktop platform's classic grey.
  if (!QGuiApplication::instance()) return RGB(240, 240, 240);
  return FromQColor(QGuiApplication::palette().color(QPalette::Active, QPalette::Button));
}

int GetSystemMetrics(int index) { return (index == SM_CXICON || index == SM_CYICON) ? 32 : 0; }

}  // namespace os
