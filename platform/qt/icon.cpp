// Icons: made from the resources' pixels once, then shared by every window.

#include "platform/qt/icon.h"

#include <QVariant>
#include <QWidget>
#include <map>
#include <memory>
#include <mutex>

#include "platform/resources.h"
#include "platform/window.h"

HICON IconFromResource(UINT id) {
  static std::mutex mutex;
  static std::map<UINT, std::unique_ptr<PlatformIcon>> icons;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = icons.find(id);
  if (it != icons.end()) return it->second.get();
  const IconResource* res = FindIconResource(id);
  if (!res || res->size <= 0 || !res->pixels) return nullptr;
  auto icon = std::make_unique<PlatformIcon>();
  icon->image = QImage(res->size, res->size, QImage::Format_ARGB32);
  for (int y = 0; y < res->size; ++y) {
    for (int x = 0; x < res->size; ++x) icon->image.setPixel(x, y, res->pixels[y * res->size + x]);
  }
  icon->icon = QIcon(QPixmap::fromImage(icon->image));
  return (icons[id] = std::move(icon)).get();
}

HICON SetWindowIconOf(QWidget* widget, WPARAM which, HICON icon) {
  const char* slot = which == ICON_BIG ? "bigIcon" : "smallIcon";
  auto before = reinterpret_cast<HICON>(widget->property(slot).value<quintptr>());
  widget->setProperty(slot, QVariant::fromValue(reinterpret_cast<quintptr>(icon)));
  // Qt keeps one icon per window, in every size: the big one, or the small one when alone.
  auto big = reinterpret_cast<HICON>(widget->property("bigIcon").value<quintptr>());
  HICON shown = big ? big : icon;
  widget->setWindowIcon(shown ? shown->icon : QIcon());
  return before;
}
