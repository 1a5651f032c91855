// Modal dialogs built from the resources' templates, and the dialog manager's keyboard and
// window-menu behaviour.

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/app.h"
#include "platform/menu.h"
#include "platform/qt/dialog_keys.h"
#include "platform/qt/icon.h"
#include "platform/qt/modal_hooks.h"
#include "platform/qt/window_link.h"
#include "platform/resources.h"

namespace {

struct ModalState {
  QEventLoop* loop = nullptr;
  bool ended = false;
  int result = -1;
  CMenu windowMenu;
  bool windowMenuMade = false;
};

ModalState& StateOf(const std::shared_ptr<WindowLink>& link) {
  if (!link->dialogState) link->dialogState = std::make_shared<ModalState>();
  return *std::static_pointer_cast<ModalState>(link->dialogState);
}

// Rounds like the platform's MulDiv: a * b / c to the nearest integer.
int MulDiv(int a, int b, int c) { return static_cast<int>(std::lround(static_cast<double>(a) * b / c)); }

// The template's font. "System" at a Hangul character set needs a face with Hangul; the
// platform's fonts stand in for the Windows faces of the same role.
QFont TemplateFont(const DialogTemplate& t) {
  QFont font;
  if (t.charset == 129) {
    font.setFamilies({QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
                      QStringLiteral("NanumGothic"), QStringLiteral("DejaVu Sans")});
  } else {
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  }
  // Points at 96 pixels per inch, as the dialog manager computes the font height.
  font.setPixelSize(MulDiv(t.pointSize, 96, 72));
  font.setWeight(t.weight >= 700 ? QFont::Bold : QFont::Normal);
  font.setItalic(t.italic != FALSE);
  return font;
}

// Dialog base units of a font: the average width of the Latin letters and the line height.
struct BaseUnits {
  int x;
  int y;
};
BaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnits{(width / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const BaseUnits& units, int x, int y, int cx, int cy) {
  return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4), MulDiv(cy, units.y, 8));
}

QWidget* CreateControl(const DialogItemTemplate& item, QWidget* parent) {
  const std::string cls = item.className;
  const QString text = QString::fromUtf8(item.text ? item.text : "");
  if (cls == "button") {
    if ((item.style & BS_TYPEMASK) == BS_GROUPBOX) return new QGroupBox(text, parent);
    auto* button = new QPushButton(text, parent);
    // The dialog manager, not Qt, decides what Enter presses.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setProperty("defPushButton", (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    return button;
  }
  if (cls == "static") {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // texts are data: never markup
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if ((item.style & SS_TYPEMASK) == SS_ICON) {
      // "#<id>" names an icon resource; without one the area stays empty.
      HICON icon = (text.startsWith('#')) ? IconFromResource(text.mid(1).toUInt()) : nullptr;
      if (icon) label->setPixmap(QPixmap::fromImage(icon->image));
    } else {
      label->setText(text);
    }
    return label;
  }
  if (cls == "msctls_progress32") return CreateProgressControlWidget(parent, item.style);
  return new QWidget(parent);
}

QWidget* OwnerWidget(CWnd* parent, CWnd* self) {
  if (!parent && AfxGetApp() && AfxGetApp()->m_pMainWnd != self) parent = AfxGetApp()->m_pMainWnd;
  if (parent && parent->HasWindow()) return WindowRouter::Link(parent)->widget;
  return nullptr;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

long CDialog::DoModal() {
  const DialogTemplate* t = FindDialogTemplate(m_templateId);
  if (!t || HasWindow()) return -1;
  const std::shared_ptr<WindowLink>& link = m_link;

  // The system-menu style gives a close box and the window menu; there is no minimise or
  // maximise box in a modal frame.
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (t->style & WS_SYSMENU) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  auto* dialog = new QWidget(OwnerWidget(m_pParentWnd, this), flags);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  dialog->setProperty("hasSystemMenu", (t->style & WS_SYSMENU) != 0);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setWindowTitle(QString::fromUtf8(t->caption ? t->caption : ""));
  const QFont font = TemplateFont(*t);
  dialog->setFont(font);
  const BaseUnits units = BaseUnitsOf(font);
  dialog->setFixedSize(ToPixels(units, 0, 0, t->cx, t->cy).size());
  AttachWidget(link, dialog);

  QWidget* previousTabStop = nullptr;
  QWidget* firstTabStop = nullptr;
  for (std::size_t i = 0; i < t->itemCount; ++i) {
    const DialogItemTemplate& item = t->items[i];
    QWidget* control = CreateControl(item, dialog);
    const QRect rect = ToPixels(units, item.x, item.y, item.cx, item.cy);
    if (item.style & WS_BORDER) {
      // A one-pixel border around the control: the control itself, and so its client area,
      // is the inside of the frame.
      auto* frame = new QFrame(dialog);
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      frame->setLineWidth(1);
      frame->setGeometry(rect);
      frame->setVisible((item.style & WS_VISIBLE) != 0);
      control->setParent(frame);
      control->setGeometry(1, 1, std::max(0, rect.width() - 2), std::max(0, rect.height() - 2));
    } else {
      control->setGeometry(rect);
    }
    control->setProperty("dlgCtrlId", item.id);
    control->setProperty("dlgClassName", QString::fromUtf8(item.className));
    control->setEnabled(!(item.style & WS_DISABLED));
    control->setVisible((item.style & WS_VISIBLE) != 0);
    if (item.style & WS_TABSTOP) {
      control->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, control);
      previousTabStop = control;
      if (!firstTabStop) firstTabStop = control;
    } else {
      control->setFocusPolicy(Qt::NoFocus);
    }
    if (item.id != IDC_STATIC) {
      auto wrapper = std::make_unique<CWnd>();
      AttachWidget(WindowRouter::Link(wrapper.get()), control);
      link->controls[item.id] = wrapper.get();
      link->ownedControls[item.id] = std::move(wrapper);
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      const int id = item.id;
      QObject::connect(button, &QPushButton::clicked, [link, id] {
        if (link->alive && link->owner) {
          WindowRouter::Dispatch(link->owner, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED), 0);
        }
      });
    }
  }

  ModalState& state = StateOf(link);
  state.ended = false;
  state.result = -1;
  // TRUE from the initialisation: the keyboard focus goes to the first tab stop.
  if (WindowRouter::Dispatch(this, WM_INITDIALOG, 0, 0) && firstTabStop && link->alive) firstTabStop->setFocus();
  if (link->alive && !state.ended) {
    // The modal loop shows the dialog whether or not its template says visible.
    dialog->show();
    dialog->activateWindow();
    QEventLoop loop;
    state.loop = &loop;
    RunNextModalScript();
    loop.exec();
    state.loop = nullptr;
  }
  const int result = state.result;
  DestroyLinkedWindow(link);
  link->dialogState.reset();
  return result;
}

void CDialog::EndDialog(int result) {
  if (!m_link->dialogState) return;
  ModalState& state = StateOf(m_link);
  state.result = result;
  state.ended = true;
  if (state.loop) state.loop->quit();
}

bool HandleDialogKey(QWidget* widget, QKeyEvent* event) {
  QWidget* window = widget->window();
  std::shared_ptr<WindowLink> link = LinkOfWidget(window);
  if (!link || !link->dialogState || !link->owner) return false;
  UINT id = 0;
  if (event->key() == Qt::Key_Escape) {
    id = IDCANCEL;
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    auto* focused = qobject_cast<QPushButton*>(window->focusWidget());
    if (focused) {
      focused->click();
      return true;
    }
    id = IDOK;
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
      if (b->property("defPushButton").toBool()) id = static_cast<UINT>(b->property("dlgCtrlId").toInt());
    }
  } else {
    return false;
  }
  WindowRouter::Dispatch(link->owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  return true;
}

CMenu& WindowMenuOf(const std::shared_ptr<WindowLink>& link) {
  ModalState& state = StateOf(link);
  if (!state.windowMenuMade) {
    state.windowMenuMade = true;
    state.windowMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  }
  return state.windowMenu;
}

void ShowWindowMenu(const std::shared_ptr<WindowLink>& link, const QPoint& globalPos) {
  QWidget* widget = link->widget;
  if (!widget || !widget->property("hasSystemMenu").toBool()) return;
  QMenu menu(widget);
  for (const CMenu::Item& item : WindowMenuOf(link).Items()) {
    if (item.flags & MF_SEPARATOR) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromUtf8(item.text.c_str()));
    action->setData(QVariant::fromValue(static_cast<qulonglong>(item.id)));
  }
  RunNextModalScript();
  QAction* chosen = menu.exec(globalPos);
  if (chosen && link->alive && link->owner) {
    WindowRouter::Dispatch(link->owner, WM_SYSCOMMAND, static_cast<WPARAM>(chosen->data().toULongLong()), 0);
  }
}
