#pragma once
// Helpers for tests of drawing code and of controls: contexts that draw on an image of their own,
// a window that holds one progress control, and the desktop theme's button-face colour. Only
// tests include this; the window system must be set up first (InitWindowSystem).

#include <memory>

#include "platform/gdi.h"
#include "platform/testing.h"

class CWnd;

namespace platform::test {

// A drawing context on an image of its own, filled with `fill`: a stand-in for a window's paint
// context, or, with `printing`, for a printer's (its printing flag set).
class ImageContext {
 public:
  ImageContext(int width, int height, COLORREF fill, bool printing = false);
  ~ImageContext();
  ImageContext(const ImageContext&) = delete;
  ImageContext& operator=(const ImageContext&) = delete;

  // The context. Its clip box is the whole image until SetClip.
  CDC& Dc() { return m_dc; }
  // Limits drawing on the context to `clip` (image pixels), as a paint limits it to the area
  // being repainted; an empty rectangle lets nothing through.
  void SetClip(const CRect& clip);
  // The image as it is now.
  Image Pixels() const;
  // How many block transfers (BitBlt) have drawn on the context.
  int BlockTransfers() const;
  // False once the context has been deleted (by DeleteDC through any object holding it).
  bool Alive() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
  CDC m_dc;
};

// A shown top-level window that holds one "msctls_progress32" control with this id, style and
// rectangle (pixels), for tests of a progress control's window object without a dialog template.
// Bind an object to the control with SubclassDlgItem(id, Window()) or DDX_Control.
class ProgressControlHost {
 public:
  ProgressControlHost(int id, DWORD style, const CRect& rect);
  ~ProgressControlHost();
  ProgressControlHost(const ProgressControlHost&) = delete;
  ProgressControlHost& operator=(const ProgressControlHost&) = delete;

  CWnd* Window();
  // Destroys the window and its control now; calls waiting on them from other threads return.
  void DestroyWindow();

 private:
  std::unique_ptr<CWnd> m_window;
};

// Changes the desktop theme's colour of button faces (what os::GetSysColor(COLOR_BTNFACE) reads)
// for the whole test program; returns the colour it had.
COLORREF SetButtonFaceColor(COLORREF color);

}  // namespace platform::test
