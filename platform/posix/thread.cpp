// Worker threads on POSIX: detached std::threads, counted so that the program's end can tell
// whether a worker still runs.

#include "platform/thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

struct CWinThread {
  AFX_THREADPROC proc;
  void* param;
};

namespace {
std::mutex g_mutex;
std::condition_variable g_ended;
int g_running = 0;
}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int, UINT, DWORD, void*) {
  auto* thread = new CWinThread{proc, param};
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_running;
  }
  try {
    std::thread([thread] {
      thread->proc(thread->param);
      delete thread;
      std::lock_guard<std::mutex> lock(g_mutex);
      --g_running;
      g_ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    delete thread;
    std::lock_guard<std::mutex> lock(g_mutex);
    --g_running;
    return nullptr;
  }
  return thread;
}

namespace platform {

int RunningWorkerThreads() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_running;
}

bool WaitForWorkerThreads(int timeoutMs) {
  std::unique_lock<std::mutex> lock(g_mutex);
  return g_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return g_running == 0; });
}

}  // namespace platform
