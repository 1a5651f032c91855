#pragma once
// Drawing contexts, brushes and bitmaps in the shape of the desktop framework's device-context
// classes, with only what the system draws: solid fills, one line of text in a rectangle, an
// icon, and off-screen bitmaps copied with one block transfer.
//
// Coordinates are logical: a context's window origin (SetWindowOrg) is the logical point that
// lands on device pixel (0, 0). Rectangles exclude their right and bottom edges. Drawing is
// clipped to the context's clip box; a context without a device (no handle) draws nothing.
//
// Threads: a context, brush or bitmap belongs to the thread that paints (the window's thread)
// and is used only there, once the window system is set up.

#include <string>

#include "platform/geometry.h"
#include "platform/types.h"

class CWnd;
class CDC;

// The platform's drawing context and bitmap behind the objects below: opaque handles.
struct PlatformDC;
struct PlatformBitmap;
using HDC = PlatformDC*;
using HBITMAP = PlatformBitmap*;

// Raster operation of BitBlt: copy the source as it is.
constexpr DWORD SRCCOPY = 0x00CC0020;

// DrawText formats.
constexpr UINT DT_CENTER = 0x01;
constexpr UINT DT_VCENTER = 0x04;
constexpr UINT DT_SINGLELINE = 0x20;

// Background modes of text.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Results of GetClipBox.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// A solid brush: a colour to fill with. It holds nothing of the platform's.
class CBrush {
 public:
  CBrush() = default;
  ~CBrush() = default;
  CBrush(const CBrush&) = delete;
  CBrush& operator=(const CBrush&) = delete;

  // Makes this a brush of `color`. Fails (FALSE) when the object holds a brush already.
  BOOL CreateSolidBrush(COLORREF color);
  // Releases the brush; the object can then create another. FALSE when it held none.
  BOOL DeleteObject();

  bool HasBrush() const { return m_bHasBrush; }
  COLORREF Color() const { return m_crColor; }

 private:
  bool m_bHasBrush = false;
  COLORREF m_crColor = 0;
};

// A bitmap that a memory context draws into. The object owns its bitmap and deletes it when it
// is destroyed.
class CBitmap {
 public:
  CBitmap() = default;
  ~CBitmap();
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  // Creates a width x height bitmap in the colour format of `dc`'s device: the format of the
  // screen for a window's context, the format of its selected bitmap for a memory context (a
  // fresh memory context holds a 1 x 1 monochrome bitmap, so a bitmap made compatible with it is
  // monochrome). It starts black here, but callers paint every pixel that is to show, as other
  // platforms promise nothing. A width or height of 0 gives an empty bitmap that draws and
  // copies nothing. Fails (FALSE) when the object holds a bitmap already,
  // when `dc` has no device, or for a negative size.
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  // Deletes the bitmap. Fails (FALSE) and deletes nothing while it is selected into a context,
  // or when the object holds none.
  BOOL DeleteObject();

  HBITMAP GetSafeHandle() const { return m_hObject; }

 private:
  friend class CDC;
  friend struct PlatformDC;
  HBITMAP m_hObject = nullptr;
};

// A drawing context. The object owns the context it created (CreateCompatibleDC) and deletes it
// when it is destroyed; a context attached with Attach is deleted too unless it is detached first.
class CDC {
 public:
  CDC() = default;
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // The context that drawing goes to, the one whose attributes (colours, modes) are read, and
  // whether the context stands for a printer.
  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
  BOOL m_bPrinting = FALSE;

  HDC GetSafeHdc() const { return m_hDC; }
  BOOL IsPrinting() const { return m_bPrinting; }

  // The object that holds `hdc` as its output context; for a context that no object holds, an
  // object kept with the context that lives as long as the context. Null for a null handle.
  static CDC* FromHandle(HDC hdc);

  // Makes `hdc` this object's output and attribute context. Fails when the object holds one.
  BOOL Attach(HDC hdc);
  // Gives up the output context without deleting it and returns it; the attribute context is
  // cleared as well.
  HDC Detach();

  // Creates a memory context compatible with `dc` (null: with the screen), holding a 1 x 1
  // monochrome bitmap, and attaches it to this object.
  BOOL CreateCompatibleDC(CDC* dc);
  // Deletes the context this object holds (a memory context, or one attached) and clears the
  // handles. The bitmap selected into a memory context is not deleted: it belongs to its
  // CBitmap, which can delete it once the context is gone.
  BOOL DeleteDC();

  // Selects a bitmap into a memory context: drawing now goes into it. Returns the bitmap that
  // was selected before (the context's own 1 x 1 bitmap for a fresh one), or null on failure
  // (not a memory context, no bitmap, or a bitmap selected into another context).
  CBitmap* SelectObject(CBitmap* bitmap);

  // The smallest rectangle that encloses what drawing may change, in logical coordinates:
  // for a paint context the area being repainted, for a memory context its bitmap. Returns
  // NULLREGION when that is empty, SIMPLEREGION otherwise, ERROR without a context.
  int GetClipBox(CRect* rect) const;
  // Sets the logical point that maps to device pixel (0, 0); returns the previous one.
  CPoint SetWindowOrg(int x, int y);
  CPoint GetWindowOrg() const;

  // Copies width x height pixels from (xSrc, ySrc) of `src` to (x, y) of this context, both in
  // the contexts' logical coordinates; only SRCCOPY is supported. Pixels outside the source's
  // bitmap are not copied; the destination's clip box applies.
  BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);

  // Fills `rect` with the brush's colour. The brush is not changed.
  int FillRect(const CRect* rect, CBrush* brush);
  // Draws one line of text in the context's font and text colour. With DT_CENTER and DT_VCENTER
  // it is centred in `rect`; it is clipped to `rect`. In OPAQUE mode the text's cell is first
  // filled with the background colour. Returns the height of the text.
  int DrawText(const std::string& text, CRect* rect, UINT format);
  // Text colour (default black), text background colour (default white) and background mode
  // (default OPAQUE); each returns the previous value.
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);

  // Draws the icon with its top-left corner at (x, y), in its own size (see
  // os::GetSystemMetrics), blended over what is there.
  BOOL DrawIcon(int x, int y, HICON icon);
};

// The context for painting a window during its WM_PAINT: it draws on the window, clipped to the
// area being repainted, and ends the painting when it is destroyed. Made outside WM_PAINT, or
// for an object without a window, it draws nothing and its clip box is empty.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;

 private:
  CWnd* m_pWnd;
};

constexpr int COLOR_BTNFACE = 15;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

namespace os {

// The system's colour for the faces of buttons and the background of dialogs, as it is now
// (it follows the desktop's theme).
COLORREF GetSysColor(int index);

// The size in pixels at which DrawIcon draws icons: 32 for both; 0 for other indexes.
int GetSystemMetrics(int index);

}  // namespace os
