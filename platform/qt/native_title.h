#pragma once
// Internal to the Qt backend: an empty window title. Qt never shows an empty title: it puts the
// application's name in its place. The window system itself allows one, so this clears the
// title on the native window.

class QWidget;

void ClearNativeWindowTitle(QWidget* window);
