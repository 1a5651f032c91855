#pragma once
// Internal to the Qt backend: icons of the resources as Qt images.

#include <QIcon>
#include <QImage>

#include "platform/types.h"

struct PlatformIcon {
  QImage image;
  QIcon icon;
};

// The icon resource `id`, made once and kept for the life of the program; null when absent.
HICON IconFromResource(UINT id);
// Sets the big or small icon of a top-level widget and returns the one set before.
HICON SetWindowIconOf(QWidget* widget, WPARAM which, HICON icon);
