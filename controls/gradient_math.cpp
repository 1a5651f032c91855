// The arithmetic of the gradient progress bar.

#include "controls/gradient_math.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace gradient {

namespace {

// Channel difference end - start, signed.
int Difference(BYTE start, BYTE end) { return static_cast<int>(end) - static_cast<int>(start); }

// Quotient in double precision, rounded to float.
float FloatQuotient(double dividend, int divisor) { return static_cast<float>(dividend / divisor); }

// Truncates toward zero, holding values beyond int at its ends so the conversion is defined.
int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

BYTE Channel(BYTE start, float step, int i) {
  const double value = static_cast<double>(start) + static_cast<double>(i) * static_cast<double>(step);
  return static_cast<BYTE>(TruncateToInt(value) & 0xFF);
}

}  // namespace

int BandCount(COLORREF start, COLORREF end) {
  const int red = std::abs(Difference(GetRValue(start), GetRValue(end)));
  const int green = std::abs(Difference(GetGValue(start), GetGValue(end)));
  const int blue = std::abs(Difference(GetBValue(start), GetBValue(end)));
  int count = red;
  if (green > count) count = green;
  if (blue > count) count = blue;
  return count;
}

Layout MakeLayout(COLORREF start, COLORREF end, int clientRight) {
  Layout layout;
  layout.bandCount = BandCount(start, end);
  if (layout.bandCount == 0) return layout;
  layout.bandWidth = FloatQuotient(clientRight, layout.bandCount);
  layout.stepRed = FloatQuotient(Difference(GetRValue(start), GetRValue(end)), layout.bandCount);
  layout.stepGreen = FloatQuotient(Difference(GetGValue(start), GetGValue(end)), layout.bandCount);
  layout.stepBlue = FloatQuotient(Difference(GetBValue(start), GetBValue(end)), layout.bandCount);
  return layout;
}

int BandEdge(const Layout& layout, int i) {
  return TruncateToInt(static_cast<double>(i) * static_cast<double>(layout.bandWidth));
}

COLORREF BandColor(COLORREF start, const Layout& layout, int i) {
  return RGB(Channel(GetRValue(start), layout.stepRed, i), Channel(GetGValue(start), layout.stepGreen, i),
             Channel(GetBValue(start), layout.stepBlue, i));
}

int FillLimit(int position, int upper, int clientRight) {
  if (upper == 0) return 0;
  const double fraction = static_cast<double>(position) / upper;
  const float limit = static_cast<float>(fraction * static_cast<double>(clientRight));
  return TruncateToInt(static_cast<double>(limit));
}

std::string PercentageText(int position, int upper) {
  if (upper == 0) return std::string();
  const double percent = static_cast<double>(position) * 100.0 / upper;
  // printf rounds a half to even ("12%" for 12.5); the bar shows halves rounded away from
  // zero, so round first and let the format print a whole number.
  char text[64];
  std::snprintf(text, sizeof text, "%.0f%%", std::round(percent));
  return text;
}

}  // namespace gradient
