#pragma once
// An image held in memory, as the start of a transfer holds the file it read.

#include <cstddef>
#include <vector>

#include "platform/types.h"

namespace bench {

// An accepted image of `length` bytes in all (USB port, e-flash): the 1024-byte header, then a
// pseudo-random body of the same bytes every time.
std::vector<BYTE> MakeImage(std::size_t length);

// 64 MiB: the image that the stream figures send.
constexpr std::size_t kStreamImageLength = 64u << 20;

}  // namespace bench
