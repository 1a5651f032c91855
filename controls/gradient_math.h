#pragma once
// The arithmetic of the gradient progress bar, apart from any window so that tests can check
// it directly. Quantities the bar rounds through single precision are rounded here the same way.

#include <string>

#include "platform/types.h"

namespace gradient {

// How the gradient from one colour towards another is cut into bands over a client width.
struct Layout {
  // One band per step of the channel that changes most: 0 (equal colours) to 255.
  int bandCount = 0;
  // client right edge / band count, rounded to float; 0 when there are no bands.
  float bandWidth = 0.0f;
  // Channel difference / band count, rounded to float: the change from one band to the next.
  float stepRed = 0.0f;
  float stepGreen = 0.0f;
  float stepBlue = 0.0f;
};

int BandCount(COLORREF start, COLORREF end);
Layout MakeLayout(COLORREF start, COLORREF end, int clientRight);

// Left edge of band i (and right edge of band i - 1): i x band width in double precision,
// truncated toward zero.
int BandEdge(const Layout& layout, int i);

// Colour of band i: each channel start + i x step in double precision, truncated toward zero,
// low 8 bits. The last band (bandCount - 1) stops one step short of the end colour.
COLORREF BandColor(COLORREF start, const Layout& layout, int i);

// How many pixels of the client width the position reveals: position / upper in double
// precision, times the client right edge, rounded to float, truncated toward zero. The lower
// bound takes no part. An upper bound of 0 reveals nothing (there is no fraction to take), and
// a result beyond the range of int is held at its end.
int FillLimit(int position, int upper, int clientRight);

// The percentage text, "%.0f%%" of position x 100 / upper, with a value exactly half-way
// between two whole numbers going away from zero ("13%" for 12.5). Empty for an upper bound
// of 0, where there is no percentage.
std::string PercentageText(int position, int upper);

}  // namespace gradient
