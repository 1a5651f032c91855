#include "bench/bench_image.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "transfer/rad_header.h"

namespace bench {

std::vector<BYTE> MakeImage(std::size_t length) {
  std::vector<BYTE> image(length, 0);
  if (length > 0) image[0] = static_cast<BYTE>(RAD_MAGIC);
  if (length > 1) image[1] = 1;  // USB
  if (length > 2) image[2] = FLASH_EFLASH;
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (std::size_t at = RAD_HEADER_LENGTH; at < length; at += sizeof state) {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const std::uint64_t word = state * 0x2545F4914F6CDD1Du;
    std::memcpy(&image[at], &word, length - at < sizeof word ? length - at : sizeof word);
  }
  return image;
}

HeapImage HeapCopy(const std::vector<BYTE>& image) {
  HeapImage copy(static_cast<BYTE*>(std::malloc(image.size())), &std::free);
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy.get(), image.data(), image.size());
  return copy;
}

}  // namespace bench
