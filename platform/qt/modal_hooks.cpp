#include "platform/qt/modal_hooks.h"

#include <QTimer>
#include <deque>

namespace {
std::deque<std::function<void()>>& Scripts() {
  static std::deque<std::function<void()>> scripts;
  return scripts;
}
}  // namespace

void QueueModalScript(std::function<void()> script) { Scripts().push_back(std::move(script)); }

void RunNextModalScript() {
  if (Scripts().empty()) return;
  std::function<void()> script = std::move(Scripts().front());
  Scripts().pop_front();
  QTimer::singleShot(0, [script] { script(); });
}
