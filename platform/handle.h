#pragma once
// Kernel handles: synchronous writes, closing, and a pause of the calling thread.

#include "platform/types.h"

namespace os {

// Writes the whole buffer to the handle in one synchronous call. TRUE only when all `len` bytes
// were taken; FALSE when the handle refused them or did not take them in time (a device that is
// busy refuses quickly instead of blocking), in which case the caller may write the same bytes
// again. On a device pipe a write is one packet and is taken whole or not at all. A dead peer
// gives FALSE, never a signal that ends the process. Interrupted calls are resumed.
// `written` (may be nullptr) receives the count of bytes taken; only a plain byte stream (a
// file or an OS pipe) can fail part-way, and then `written` says how much went out. A write of
// 0 bytes sends nothing and succeeds.
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD len, DWORD* written);

// Closes the handle. FALSE for INVALID_HANDLE_VALUE or a handle that is not open.
BOOL CloseHandle(HANDLE handle);

// Pauses the calling thread for at least `ms` milliseconds, also when signals arrive meanwhile.
void Sleep(DWORD ms);

}  // namespace os
