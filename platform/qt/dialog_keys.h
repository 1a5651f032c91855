#pragma once
// Internal to the Qt backend: the dialog manager's keyboard and window-menu behaviour.

#include <QPoint>
#include <memory>

class QKeyEvent;
class QWidget;
class CMenu;
struct WindowLink;

// Escape presses Cancel; Enter presses the focused push button, else the default push button,
// else OK. Returns true when the key was the dialog's.
bool HandleDialogKey(QWidget* widget, QKeyEvent* event);

// The window menu of a top-level window: made on first use with the standard Close item.
CMenu& WindowMenuOf(const std::shared_ptr<WindowLink>& link);
// Shows the window menu at a screen position; the chosen item becomes WM_SYSCOMMAND.
void ShowWindowMenu(const std::shared_ptr<WindowLink>& link, const QPoint& globalPos);
