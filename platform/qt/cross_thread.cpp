// Calls from other threads into windows: the caller waits until the window's thread has run the
// call, and never waits for a window that is gone.
//
// One mutex and one condition guard every pending call and every link's `alive` flag. A caller
// queues its call, posts an event to the receiver on the window's thread and waits until the call
// ran or its window was destroyed; the window's thread runs a call only while its window lives.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

#include "platform/qt/cross_thread.h"
#include "platform/qt/window_link.h"

namespace {

struct PendingCall {
  std::shared_ptr<WindowLink> link;
  const std::function<void()>* fn;
  bool running = false;
  bool done = false;
  bool executed = false;
};

std::condition_variable g_changed;

class CallEvent : public QEvent {
 public:
  explicit CallEvent(std::shared_ptr<PendingCall> call)
      : QEvent(static_cast<QEvent::Type>(QEvent::User + 17)), m_call(std::move(call)) {}
  std::shared_ptr<PendingCall> m_call;
};

class CallReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    // The calling thread made the event while holding the lock. Taking the lock before reading
    // the event orders this thread after those writes in a way ThreadSanitizer can see (Qt's
    // own queue locking is not instrumented).
    std::unique_lock<std::mutex> first(CrossThreadMutex());
    if (e->type() != QEvent::User + 17) {
      first.unlock();
      return QObject::event(e);
    }
    auto call = static_cast<CallEvent*>(e)->m_call;
    const bool run = call->link->alive && !call->done;
    call->running = run;
    first.unlock();
    // The caller is blocked until `done`, so its function and arguments are still there.
    if (run) (*call->fn)();
    {
      std::lock_guard<std::mutex> lock(CrossThreadMutex());
      call->done = true;
      call->executed = run;
    }
    g_changed.notify_all();
    return true;
  }
};

CallReceiver* g_receiver = nullptr;

}  // namespace

std::mutex& CrossThreadMutex() {
  static std::mutex m;
  return m;
}

void NotifyCrossThreadWaiters() { g_changed.notify_all(); }

void InitCrossThreadCalls() {
  if (!g_receiver) g_receiver = new CallReceiver;  // lives as long as the window system
}

bool OnWindowThread() {
  auto* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

bool RunOnWindowThread(const std::shared_ptr<WindowLink>& link, const std::function<void()>& fn) {
  if (OnWindowThread()) {
    if (!link->alive) return false;
    fn();
    return true;
  }
  auto call = std::make_shared<PendingCall>();
  call->link = link;
  call->fn = &fn;
  std::unique_lock<std::mutex> lock(CrossThreadMutex());
  if (!link->alive || !g_receiver) return false;
  QCoreApplication::postEvent(g_receiver, new CallEvent(call));
  // A call that has begun is waited for to its end, even if it destroys the window itself.
  g_changed.wait(lock, [&] { return call->done || (!link->alive && !call->running); });
  // A call whose window went away may still sit in the queue: mark it so it never runs.
  call->done = true;
  return call->executed;
}
