#pragma once
// Peak resident memory of `radtool flash` sending a 256 MiB image to the simulated device.

#include <cstdint>
#include <string>

namespace bench {

constexpr std::uint64_t kMemoryImageLength = 256ull << 20;

// Makes the image with `radtool make` into `imagePath` once (MakeMemoryImage), then flashes it
// (MeasureFlashMemory) and returns radtool's peak resident memory in KiB. The device must be
// running (HADREL_USB_SOCKET set). Both throw std::runtime_error when radtool fails.
void MakeMemoryImage(const std::string& binDir, const std::string& imagePath);
long MeasureFlashMemory(const std::string& binDir, const std::string& imagePath);

}  // namespace bench
