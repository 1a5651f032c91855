#include "platform/qt/native_title.h"

#include <QGuiApplication>
#include <QWidget>
#include <qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstring>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
                            nullptr);
  const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

}  // namespace

void ClearNativeWindowTitle(QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11) return;  // other window systems (offscreen, say) keep Qt's title
  xcb_connection_t* connection = x11->connection();
  if (!connection) return;
  // Making the native window now lets Qt put its own title first; ours comes after it.
  const xcb_window_t id = static_cast<xcb_window_t>(window->winId());
  const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, Atom(connection, "_NET_WM_NAME"), utf8, 8, 0, "");
  xcb_flush(connection);
}
