#pragma once
// Internal to the Qt backend: the lock shared by cross-thread calls and window destruction.

#include <mutex>

// Guards WindowLink::alive and the state of pending cross-thread calls.
std::mutex& CrossThreadMutex();
// Wakes callers waiting on a window; called after a window was marked dead.
void NotifyCrossThreadWaiters();
