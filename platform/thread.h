#pragma once
// Worker threads.

#include "platform/types.h"

// A running worker thread. The platform deletes it when the thread ends: do not keep it.
struct CWinThread;

using AFX_THREADPROC = UINT (*)(void* param);
constexpr int THREAD_PRIORITY_NORMAL = 0;

// Starts `proc(param)` on a thread of its own at once; returns null when no thread can be made.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, void* security = nullptr);

namespace platform {
// Worker threads started and not yet ended.
int RunningWorkerThreads();
// Waits until no worker thread runs, at most `timeoutMs`; returns whether none runs.
bool WaitForWorkerThreads(int timeoutMs);
}  // namespace platform
