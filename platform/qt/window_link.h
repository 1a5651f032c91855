#pragma once
// Internal to the Qt backend: the record that ties a window object (CWnd) to its Qt widget.
//
// Each CWnd owns one WindowLink from construction on; the widget gets one when it is created.
// Cross-thread calls hold a shared_ptr to the link, never to the CWnd, and check `alive`
// under the calls' mutex, so a call can never reach a widget or object that is gone.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/window.h"

class QTimer;
class QEvent;

struct WindowLink {
  // The object whose WindowProc receives the widget's messages; SubclassDlgItem changes it.
  CWnd* owner = nullptr;
  // The widget, while it exists. Only the window's thread reads or changes it.
  QPointer<QWidget> widget;
  // Set under CrossThreadMutex(): true from creation until the widget is destroyed.
  bool alive = false;
  // Running timers by id.
  std::map<UINT_PTR, QTimer*> timers;
  // For a dialog: its controls by id, and its modal state.
  std::map<int, CWnd*> controls;
  std::map<int, std::unique_ptr<CWnd>> ownedControls;
  std::shared_ptr<void> dialogState;
  // During the dispatch of an event: set when the handler left the event to the platform.
  bool passToWidget = false;
};

// Gives the backend access to the protected and private parts of CWnd.
class WindowRouter {
 public:
  static const std::shared_ptr<WindowLink>& Link(const CWnd* w) { return w->m_link; }
  static LRESULT Dispatch(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CallDefault(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam) {
    return w->DefWindowProc(message, wParam, lParam);
  }
  static void RunDataExchange(CWnd* w, CDataExchange* pDX) { w->DoDataExchange(pDX); }
};

// Makes `widget` the window behind `link` and routes its events to the link's owner.
void AttachWidget(const std::shared_ptr<WindowLink>& link, QWidget* widget);
// Destroys the widget behind `link` (and its children's links); waiting cross-thread calls
// return at once. Safe to call when there is no widget.
void DestroyLinkedWindow(const std::shared_ptr<WindowLink>& link);
// The text a widget shows: a window's title, a label's, a group box's or a button's text.
QString WidgetText(const QWidget* widget);
// The link of a widget created by this backend, or null.
std::shared_ptr<WindowLink> LinkOfWidget(const QWidget* widget);

// The window's thread runs `fn` while the window of `link` exists: at once on that thread, else
// blocking the calling thread until done. Returns false (and runs nothing) once the window is gone.
bool RunOnWindowThread(const std::shared_ptr<WindowLink>& link, const std::function<void()>& fn);
bool OnWindowThread();
// Creates the receiver of cross-thread calls; the window system must exist.
void InitCrossThreadCalls();

class QPaintEvent;
// Turns a paint event of a routed widget into WM_ERASEBKGND and WM_PAINT for its owner. Returns
// false when the owner left painting to the platform, so the widget paints itself.
bool RoutePaintEvent(const std::shared_ptr<WindowLink>& link, QWidget* widget, QPaintEvent* event);

// A control widget with behaviour of its own for some messages (the progress bar's range and
// position, say). DefWindowProc offers every message it does not know to the widget.
class NativeMessageTarget {
 public:
  virtual ~NativeMessageTarget() = default;
  // Sets `handled` when the message is the widget's; returns its result.
  virtual LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

// Creates the "msctls_progress32" control (a NativeMessageTarget) for a dialog.
QWidget* CreateProgressControlWidget(QWidget* parent, DWORD style);
