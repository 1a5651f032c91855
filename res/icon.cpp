// The application icon, 48 x 48: a device chip with an arrow pointing into it, drawn from a
// handful of shapes in a small palette so that no binary file needs to be kept.

#include <array>
#include <cstdint>
#include <cstdlib>

#include "platform/resources.h"
#include "res/resource.h"

namespace {

constexpr int kSize = 48;

std::array<std::uint32_t, kSize * kSize> DrawIcon() {
  std::array<std::uint32_t, kSize * kSize> px{};
  const std::uint32_t clear = 0x00000000, body = 0xFF008080, edge = 0xFF004040, pin = 0xFFC0C0C0,
                      arrow = 0xFFFFD700;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      std::uint32_t c = clear;
      const bool inBody = x >= 10 && x < 38 && y >= 10 && y < 38;
      if (inBody) c = (x == 10 || x == 37 || y == 10 || y == 37) ? edge : body;
      // Pins on the left and right sides.
      if (((x >= 4 && x < 10) || (x >= 38 && x < 44)) && y >= 13 && y < 36 && (y - 13) % 5 < 2) c = pin;
      // A downward arrow into the chip: shaft, then head.
      if (x >= 22 && x < 26 && y >= 14 && y < 26) c = arrow;
      if (y >= 26 && y < 33 && std::abs(x - 24) < 33 - y) c = arrow;
      px[static_cast<size_t>(y) * kSize + x] = c;
    }
  }
  return px;
}

}  // namespace

const IconResource* FindIconResource(UINT id) {
  if (id != IDR_MAINFRAME) return nullptr;
  static const std::array<std::uint32_t, kSize * kSize> pixels = DrawIcon();
  static const IconResource icon = {kSize, pixels.data()};
  return &icon;
}
