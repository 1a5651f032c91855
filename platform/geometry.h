#pragma once
// Points, sizes and rectangles in the framework's shapes. A rectangle's right and bottom edges
// are exclusive: (0, 0, 300, 12) covers 300 x 12 pixels.

struct CPoint {
  int x = 0;
  int y = 0;
  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

struct CSize {
  int cx = 0;
  int cy = 0;
  CSize() = default;
  CSize(int w, int h) : cx(w), cy(h) {}
  bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
};

struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  CPoint TopLeft() const { return CPoint(left, top); }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
