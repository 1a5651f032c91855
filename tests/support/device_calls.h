#pragma once
// The tool's own call sequences into the device library, and bytes to send through it.

#include <cstddef>
#include <string>

#include "platform/types.h"

namespace devicetest {

// The tool's call sequences (load the library, take the entry point, call it, release the
// library); -1 also when the library does not load.
HANDLE CallOpenDev();
HANDLE CallOpenFile(const char* pipe);

// Presence test as the poll does it: true when open_dev gave a handle, which is closed at once.
bool DevicePresent();

// Writes one piece as the transfer worker does: on failure pause 1 ms and write the same bytes
// again, at most `attempts` times. Adds the failed attempts to `*failures`.
bool WriteWithRetries(HANDLE pipe, const std::string& piece, int attempts, int* failures);

// Deterministic bytes that differ from piece to piece, so a lost or repeated packet shows.
std::string PatternBytes(std::size_t size, unsigned seed);

}  // namespace devicetest
