#pragma once
// Internal to the Qt backend: what stands behind a drawing context (HDC) and a bitmap (HBITMAP).
//
// A context draws on one of three devices: a widget during its paint event (through one painter
// that lives as long as the context), an image that a test owns, or the bitmap selected into a
// memory context (a painter per operation, so selecting another bitmap is always safe).
// Contexts are used on the window's thread only.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/gdi.h"

struct PlatformBitmap {
  // Null for a bitmap of width or height 0.
  QImage image;
  // The colour format, kept apart so that an empty bitmap has one too.
  QImage::Format format = QImage::Format_RGB32;
  // The memory context the bitmap is selected into, or null.
  PlatformDC* selectedInto = nullptr;
};

struct PlatformDC {
  enum class Kind { Window, Image, Memory };
  Kind kind = Kind::Memory;

  // Window: the widget and its painter; the painter is null when the context was made outside
  // the widget's paint event.
  QPointer<QWidget> widget;
  std::unique_ptr<QPainter> painter;
  // Image: the image drawn on, owned by whoever made the context.
  QImage* image = nullptr;
  // Memory: the bitmap drawing goes into, and the context's own 1 x 1 monochrome bitmap.
  CBitmap* selected = nullptr;
  CBitmap stockBitmap;

  // Window and Image: the area drawing may change, in device pixels.
  QRect deviceClip;
  // The logical point at device pixel (0, 0).
  QPoint origin;

  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  QFont font;

  // Block transfers received, for tests that check how often a surface was copied.
  int blitsReceived = 0;

  // The object that holds this context (CDC::Attach), and the one FromHandle made when none did.
  CDC* holder = nullptr;
  std::unique_ptr<CDC> temporaryHolder;
};

// Contexts made by the backend itself. Each must be released with DestroyContext.
// A context painting `widget` during its paint event, clipped to `updateRect` (widget pixels).
// `inPaintEvent` false gives a context that draws nothing.
HDC CreateWindowContext(QWidget* widget, const QRect& updateRect, bool inPaintEvent);
// A context drawing on `image`, clipped to `clip` (image pixels).
HDC CreateImageContext(QImage* image, const QRect& clip);
// Ends drawing, lets go of the selected bitmap, and frees the context. Objects that still hold
// it are not told; their calls do nothing from now on (see IsLiveContext).
void DestroyContext(HDC hdc);
// True for a context that exists: calls on a deleted context draw nothing.
bool IsLiveContext(HDC hdc);
// The context behind `hdc`, or null for a null or deleted handle.
PlatformDC* LiveContext(HDC hdc);
// Makes `dc` a live context and returns its handle.
HDC RegisterContext(std::unique_ptr<PlatformDC> dc);
// The font a context without a window draws text in.
QFont DefaultContextFont();

// Runs `draw` with a painter on the context's device, translated so that it takes logical
// coordinates and clipped to the context's clip box. Returns false, drawing nothing, when the
// context has no device (a window context outside its paint event, a memory context whose
// bitmap is empty).
bool WithPainter(PlatformDC* dc, const std::function<void(QPainter&)>& draw);

// The areas of widgets being painted now, innermost last. A CPaintDC made for a widget looks up
// its area here; RoutePaintEvent records it for the length of the paint event.
class PaintInProgress {
 public:
  PaintInProgress(QWidget* widget, const QRect& updateRect);
  ~PaintInProgress();
  PaintInProgress(const PaintInProgress&) = delete;
  PaintInProgress& operator=(const PaintInProgress&) = delete;
  // The area of `widget` being painted; false when it is not in its paint event.
  static bool Find(const QWidget* widget, QRect* updateRect);

 private:
  QWidget* m_widget;
  QRect m_rect;
  PaintInProgress* m_outer;
};

// The colour a COLORREF stands for.
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) {
  return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}
