// Window objects on Qt widgets: the link between a CWnd and its widget, the routing of widget
// events to WindowProc, and the operations of CWnd.

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVariant>

#include "platform/menu.h"
#include "platform/qt/cross_thread.h"
#include "platform/qt/dialog_keys.h"
#include "platform/qt/icon.h"
#include "platform/qt/native_title.h"
#include "platform/qt/window_link.h"

namespace {

// Routes the events of one widget to the owner of its link. A child QObject of the widget, so
// it goes with it.
class Router : public QObject {
 public:
  Router(QWidget* widget, std::shared_ptr<WindowLink> link) : QObject(widget), m_link(std::move(link)) {
    widget->installEventFilter(this);
  }
  std::shared_ptr<WindowLink> m_link;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = static_cast<QWidget*>(watched);
    std::shared_ptr<WindowLink> link = m_link;  // the handler may subclass or destroy
    if (!link->alive || !link->owner) return false;
    switch (event->type()) {
      case QEvent::Paint:
        return RoutePaintEvent(link, widget, static_cast<QPaintEvent*>(event));
      case QEvent::Close:
        if (!widget->isWindow()) return false;
        // The close box and Alt+F4 are the window menu's Close.
        event->ignore();
        WindowRouter::Dispatch(link->owner, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      case QEvent::KeyPress:
        return HandleDialogKey(widget, static_cast<QKeyEvent*>(event));
      case QEvent::ContextMenu:
        if (!widget->isWindow()) return false;
        ShowWindowMenu(link, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      default:
        return false;
    }
  }
};

Router* RouterOf(const QWidget* widget) {
  for (QObject* child : widget->children()) {
    if (auto* r = dynamic_cast<Router*>(child)) return r;
  }
  return nullptr;
}

void MarkDead(const std::shared_ptr<WindowLink>& link) {
  {
    std::lock_guard<std::mutex> lock(CrossThreadMutex());
    link->alive = false;
  }
  for (auto& t : link->timers) delete t.second;
  link->timers.clear();
  link->widget = nullptr;
}

}  // namespace

LRESULT WindowRouter::Dispatch(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam) {
  const CWnd::CurrentMessage saved = w->m_current;
  w->m_current = CWnd::CurrentMessage{message, wParam, lParam};
  LRESULT result = w->WindowProc(message, wParam, lParam);
  w->m_current = saved;
  return result;
}

void AttachWidget(const std::shared_ptr<WindowLink>& link, QWidget* widget) {
  link->widget = widget;
  {
    std::lock_guard<std::mutex> lock(CrossThreadMutex());
    link->alive = true;
  }
  if (Router* r = RouterOf(widget)) {
    r->m_link = link;
  } else {
    new Router(widget, link);
  }
}

std::shared_ptr<WindowLink> LinkOfWidget(const QWidget* widget) {
  Router* r = widget ? RouterOf(widget) : nullptr;
  return r ? r->m_link : nullptr;
}

void DestroyLinkedWindow(const std::shared_ptr<WindowLink>& link) {
  QWidget* widget = link->widget;
  if (!widget) {
    MarkDead(link);
    return;
  }
  // Children first: every control's link dies with the window.
  for (QWidget* child : widget->findChildren<QWidget*>()) {
    if (auto childLink = LinkOfWidget(child)) MarkDead(childLink);
  }
  for (auto& c : link->ownedControls) MarkDead(WindowRouter::Link(c.second.get()));
  MarkDead(link);
  NotifyCrossThreadWaiters();
  link->controls.clear();
  widget->hide();
  delete widget;
  // The wrappers of the controls go after their widgets.
  link->ownedControls.clear();
}

CWnd::CWnd() : m_link(std::make_shared<WindowLink>()) { m_link->owner = this; }

CWnd::~CWnd() {
  if (m_link->widget && OnWindowThread()) DestroyLinkedWindow(m_link);
  std::lock_guard<std::mutex> lock(CrossThreadMutex());
  m_link->owner = nullptr;
}

bool CWnd::HasWindow() const { return m_link->alive && m_link->widget; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  std::shared_ptr<WindowLink> link = m_link;
  RunOnWindowThread(link, [&] {
    if (link->owner) result = WindowRouter::Dispatch(link->owner, message, wParam, lParam);
  });
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* widget = m_link->widget;
  if (!widget) return 0;
  switch (message) {
    case WM_PAINT:
    case WM_ERASEBKGND:
      // Left to the widget: it paints (or erases) itself once the handler has returned.
      m_link->passToWidget = true;
      return 0;
    case WM_SETTEXT: {
      const QString text = QString::fromUtf8(reinterpret_cast<const char*>(lParam));
      if (widget->isWindow()) {
        widget->setWindowTitle(text);
        if (text.isEmpty()) ClearNativeWindowTitle(widget);
      } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
      } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
      }
      return TRUE;
    }
    case WM_SETICON:
      return reinterpret_cast<LRESULT>(SetWindowIconOf(widget, wParam, reinterpret_cast<HICON>(lParam)));
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) WindowRouter::Dispatch(this, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      DestroyLinkedWindow(m_link);
      return 0;
    case WM_QUERYDRAGICON:
      return 0;
    default:
      break;
  }
  if (auto* target = dynamic_cast<NativeMessageTarget*>(widget)) {
    bool handled = false;
    LRESULT result = target->HandleNativeMessage(message, wParam, lParam, handled);
    if (handled) return result;
  }
  return 0;
}

void CWnd::SetWindowText(const std::string& text) {
  SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

QString WidgetText(const QWidget* widget) {
  if (widget->isWindow()) return widget->windowTitle();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  return QString();
}

std::string CWnd::GetWindowText() const {
  QWidget* widget = m_link->widget;
  return widget ? WidgetText(widget).toStdString() : std::string();
}

void CWnd::SetDlgItemText(int id, const std::string& text) {
  std::shared_ptr<WindowLink> link = m_link;
  RunOnWindowThread(link, [&] {
    auto it = link->controls.find(id);
    if (it != link->controls.end()) it->second->SetWindowText(text);
  });
}

std::string CWnd::GetDlgItemText(int id) const {
  CWnd* control = GetDlgItem(id);
  return control ? control->GetWindowText() : std::string();
}

CWnd* CWnd::GetDlgItem(int id) const {
  auto it = m_link->controls.find(id);
  return it == m_link->controls.end() ? nullptr : it->second;
}

int CWnd::GetDlgCtrlID() const {
  QWidget* widget = m_link->widget;
  return widget ? widget->property("dlgCtrlId").toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  BOOL wasDisabled = FALSE;
  std::shared_ptr<WindowLink> link = m_link;
  RunOnWindowThread(link, [&] {
    QWidget* widget = link->widget;
    if (!widget) return;
    wasDisabled = !widget->isEnabled();
    widget->setEnabled(enable != FALSE);
  });
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  QWidget* widget = m_link->widget;
  return widget && widget->isEnabled();
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void (*)()) {
  QWidget* widget = m_link->widget;
  if (!widget) return 0;
  QTimer*& timer = m_link->timers[id];
  if (!timer) {
    timer = new QTimer;
    std::weak_ptr<WindowLink> weak = m_link;
    QObject::connect(timer, &QTimer::timeout, [weak, id] {
      auto link = weak.lock();
      if (link && link->alive && link->owner) WindowRouter::Dispatch(link->owner, WM_TIMER, id, 0);
    });
  }
  timer->start(static_cast<int>(elapseMs));
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  auto it = m_link->timers.find(id);
  if (it == m_link->timers.end()) return FALSE;
  delete it->second;
  m_link->timers.erase(it);
  return TRUE;
}

void CWnd::GetClientRect(CRect* rect) const {
  QWidget* widget = m_link->widget;
  *rect = widget ? CRect(0, 0, widget->width(), widget->height()) : CRect();
}

void CWnd::Invalidate(BOOL) {
  if (QWidget* widget = m_link->widget) widget->update();
}

BOOL CWnd::IsIconic() const {
  QWidget* widget = m_link->widget;
  return widget && widget->isWindow() && widget->isMinimized();
}

CMenu* CWnd::GetSystemMenu(BOOL) {
  QWidget* widget = m_link->widget;
  if (!widget || !widget->isWindow() || !widget->property("hasSystemMenu").toBool()) return nullptr;
  return &WindowMenuOf(m_link);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  auto& controls = parent->m_link->controls;
  auto it = controls.find(static_cast<int>(id));
  if (it == controls.end() || it->second == this) return FALSE;
  std::shared_ptr<WindowLink> old = it->second->m_link;
  QWidget* widget = old->widget;
  if (!widget) return FALSE;
  MarkDead(old);
  AttachWidget(m_link, widget);
  it->second = this;
  return TRUE;
}
