#pragma once
// Reading pictures in tests: where a colour occurs.

#include "platform/geometry.h"
#include "platform/testing.h"

namespace pixels {

inline int Count(const platform::test::Image& image, COLORREF color) {
  int n = 0;
  for (COLORREF p : image.pixels) n += p == color;
  return n;
}

// The smallest rectangle holding every pixel of `color`; empty when there is none.
inline CRect Bounds(const platform::test::Image& image, COLORREF color) {
  CRect r(image.width, image.height, 0, 0);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.Pixel(x, y) != color) continue;
      if (x < r.left) r.left = x;
      if (y < r.top) r.top = y;
      if (x + 1 > r.right) r.right = x + 1;
      if (y + 1 > r.bottom) r.bottom = y + 1;
    }
  }
  return r.IsRectEmpty() ? CRect() : r;
}

// True when every pixel of `area` has `color`.
inline bool All(const platform::test::Image& image, const CRect& area, COLORREF color) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (image.Pixel(x, y) != color) return false;
    }
  }
  return true;
}

}  // namespace pixels
