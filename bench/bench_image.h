#pragma once
// An image held in memory, as the start of a transfer holds the file it read.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/types.h"

namespace bench {

// An accepted image of `length` bytes in all (USB port, e-flash): the 1024-byte header, then a
// pseudo-random body of the same bytes every time.
std::vector<BYTE> MakeImage(std::size_t length);

// A heap copy of the image (malloc), as the start of a transfer holds the file it has just read:
// fresh memory, written once. Every stream figure sends from such a copy, made before its clock
// starts: on this machine the first send from fresh memory costs about twice what later sends
// from the same memory cost, so a reference that sent from memory sent before would not be fair.
using HeapImage = std::unique_ptr<BYTE, decltype(&std::free)>;
HeapImage HeapCopy(const std::vector<BYTE>& image);

// 64 MiB: the image that the stream figures send.
constexpr std::size_t kStreamImageLength = 64u << 20;

}  // namespace bench
