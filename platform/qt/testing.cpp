// Test helpers on Qt: the user's actions as Qt events, and what the user sees read from widgets.

#include "platform/testing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "platform/menu.h"
#include "platform/qt/dialog_keys.h"
#include "platform/qt/modal_hooks.h"
#include "platform/qt/window_link.h"
#include "platform/window.h"

namespace platform::test {

namespace {

QWidget* WidgetOf(CWnd* window) { return window ? WindowRouter::Link(window)->widget.data() : nullptr; }

QWidget* ControlWidget(CWnd* dialog, int id) {
  QWidget* widget = WidgetOf(dialog);
  if (!widget) return nullptr;
  for (QWidget* child : widget->findChildren<QWidget*>()) {
    if (child->property("dlgCtrlId").isValid() && child->property("dlgCtrlId").toInt() == id) return child;
  }
  return nullptr;
}

}  // namespace

void InitWindowSystem() {
  if (QApplication::instance()) return;
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  static int argc = 1;
  static char name[] = "tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives for the whole test program
  InitCrossThreadCalls();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return done();
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

void WhenModal(std::function<void()> script) { QueueModalScript(std::move(script)); }

MessageBoxInfo ActiveMessageBox() {
  MessageBoxInfo info;
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) return info;
  info.shown = true;
  info.caption = box->windowTitle().toStdString();
  info.text = box->text().toStdString();
  info.exclamationIcon = box->icon() == QMessageBox::Warning;
  for (QAbstractButton* b : box->buttons()) info.buttons.push_back(b->text().remove('&').toStdString());
  return info;
}

void CloseActiveMessageBox() {
  if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
  }
}

FileDialogInfo ActiveFileDialog() {
  FileDialogInfo info;
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (!dialog) return info;
  info.shown = true;
  info.title = dialog->windowTitle().toStdString();
  for (const QString& f : dialog->nameFilters()) info.nameFilters.push_back(f.toStdString());
  return info;
}

void ChooseFileInActiveDialog(const std::string& path) {
  if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
    // As the user would: the name typed into the name field, then Open.
    dialog->selectFile(QString::fromStdString(path));
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
  }
}

void CancelActiveFileDialog() {
  if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dialog->reject();
}

CWnd* ActiveModalWindow() {
  QWidget* modal = QApplication::activeModalWidget();
  auto link = modal ? LinkOfWidget(modal) : nullptr;
  return link ? link->owner : nullptr;
}

ControlInfo GetControlInfo(CWnd* dialog, int id) {
  ControlInfo info;
  QWidget* control = ControlWidget(dialog, id);
  if (!control) return info;
  info.exists = true;
  info.className = control->property("dlgClassName").toString().toStdString();
  info.text = WidgetText(control).toStdString();
  // The window rectangle: a bordered control's border included.
  QWidget* outer = control->parentWidget() != control->window() ? control->parentWidget() : control;
  const QRect r = outer->geometry();
  info.rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
  info.visible = control->isVisibleTo(control->window());
  info.enabled = control->isEnabled();
  info.focused = control->window()->focusWidget() == control;
  info.isDefault = control->property("defPushButton").toBool();
  info.tabStop = control->focusPolicy() != Qt::NoFocus;
  return info;
}

std::vector<std::string> ControlTexts(CWnd* dialog) {
  std::vector<std::string> texts;
  QWidget* window = WidgetOf(dialog);
  if (!window) return texts;
  for (QObject* child : window->children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (!control || !control->property("dlgCtrlId").isValid()) continue;
    texts.push_back(WidgetText(control).toStdString());
  }
  return texts;
}

std::vector<int> TabOrder(CWnd* dialog) {
  std::vector<int> ids;
  QWidget* window = WidgetOf(dialog);
  if (!window) return ids;
  QWidget* first = nullptr;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->focusPolicy() != Qt::NoFocus && child->property("dlgCtrlId").isValid()) {
      first = child;
      break;
    }
  }
  for (QWidget* w = first; w;) {
    ids.push_back(w->property("dlgCtrlId").toInt());
    QWidget* next = w->nextInFocusChain();
    while (next && next != first && (next->focusPolicy() == Qt::NoFocus || !next->property("dlgCtrlId").isValid())) {
      next = next->nextInFocusChain();
    }
    if (!next || next == first) break;
    w = next;
  }
  return ids;
}

CSize ClientSize(CWnd* window) {
  QWidget* widget = WidgetOf(window);
  return widget ? CSize(widget->width(), widget->height()) : CSize();
}

void Click(CWnd* dialog, int id) {
  if (auto* button = qobject_cast<QAbstractButton*>(ControlWidget(dialog, id))) button->click();
}

void PressKey(CWnd* window, Key key) {
  QWidget* widget = WidgetOf(window);
  if (!widget) return;
  if (key == Key::AltF4) {
    // What the window manager does on Alt+F4: ask the window to close.
    QCloseEvent close;
    QApplication::sendEvent(widget, &close);
    return;
  }
  QWidget* target = widget->focusWidget() ? widget->focusWidget() : widget;
  int code = Qt::Key_Escape;
  if (key == Key::Enter) code = Qt::Key_Return;
  if (key == Key::Space) code = Qt::Key_Space;
  if (key == Key::Tab) code = Qt::Key_Tab;
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, code == Qt::Key_Space ? QStringLiteral(" ") : QString());
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, code == Qt::Key_Space ? QStringLiteral(" ") : QString());
  QApplication::sendEvent(target, &release);
}

void PressCloseBox(CWnd* window) {
  if (QWidget* widget = WidgetOf(window)) {
    QCloseEvent close;
    QApplication::sendEvent(widget, &close);
  }
}

void ChooseWindowMenuItem(CWnd* window, UINT_PTR commandId) {
  if (!window || !window->HasWindow()) return;
  auto link = WindowRouter::Link(window);
  for (const CMenu::Item& item : WindowMenuOf(link).Items()) {
    if (!(item.flags & MF_SEPARATOR) && item.id == commandId) {
      WindowRouter::Dispatch(link->owner, WM_SYSCOMMAND, static_cast<WPARAM>(commandId), 0);
      return;
    }
  }
}

std::vector<std::string> WindowMenuTexts(CWnd* window) {
  std::vector<std::string> texts;
  if (!window || !window->HasWindow()) return texts;
  for (const CMenu::Item& item : WindowMenuOf(WindowRouter::Link(window)).Items()) {
    texts.push_back((item.flags & MF_SEPARATOR) ? std::string("-") : item.text);
  }
  return texts;
}

void Minimize(CWnd* window) {
  if (QWidget* widget = WidgetOf(window)) widget->setWindowState(widget->windowState() | Qt::WindowMinimized);
}

int TimerPeriod(CWnd* window, UINT_PTR id) {
  if (!window) return -1;
  auto& timers = WindowRouter::Link(window)->timers;
  auto it = timers.find(id);
  return (it == timers.end() || !it->second->isActive()) ? -1 : it->second->interval();
}

void FireTimer(CWnd* window, UINT_PTR id) {
  if (window && window->HasWindow()) WindowRouter::Dispatch(WindowRouter::Link(window)->owner, WM_TIMER, id, 0);
}

Image Grab(CWnd* window) {
  Image image;
  QWidget* widget = WidgetOf(window);
  if (!widget) return image;
  const QImage grabbed = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  image.width = grabbed.width();
  image.height = grabbed.height();
  image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const QRgb p = grabbed.pixel(x, y);
      image.pixels.push_back(RGB(static_cast<BYTE>(qRed(p)), static_cast<BYTE>(qGreen(p)), static_cast<BYTE>(qBlue(p))));
    }
  }
  return image;
}

}  // namespace platform::test
