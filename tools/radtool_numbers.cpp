#include "tools/radtool_numbers.h"

#include <charconv>
#include <limits>

namespace {

// Parses the digits of text from `begin`, hexadecimal after "0x", into a magnitude.
bool ParseMagnitude(const std::string& text, std::size_t begin, std::uint64_t* magnitude,
                    std::string* error) {
  int base = 10;
  if (text.compare(begin, 2, "0x") == 0 || text.compare(begin, 2, "0X") == 0) {
    base = 16;
    begin += 2;
  }
  const char* first = text.data() + begin;
  const char* last = text.data() + text.size();
  // from_chars would accept a second sign in hexadecimal text ("0x-1"), so digits only.
  if (first == last || *first == '-' || *first == '+') {
    *error = "'" + text + "' is not a number";
    return false;
  }
  std::uint64_t parsed = 0;
  const std::from_chars_result result = std::from_chars(first, last, parsed, base);
  if (result.ec == std::errc::result_out_of_range) {
    *error = "'" + text + "' is out of range";
    return false;
  }
  if (result.ec != std::errc() || result.ptr != last) {
    *error = "'" + text + "' is not a number";
    return false;
  }
  *magnitude = parsed;
  return true;
}

}  // namespace

bool ParseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                  std::int64_t* value, std::string* error) {
  const bool negative = !text.empty() && text[0] == '-';
  std::uint64_t magnitude = 0;
  if (!ParseMagnitude(text, negative ? 1 : 0, &magnitude, error)) return false;

  // Magnitudes of up to 2^63 (negative) or 2^63-1 (positive) fit in 64 signed bits.
  constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;
  bool fits = negative ? magnitude <= kTwoTo63 : magnitude < kTwoTo63;
  std::int64_t parsed = 0;
  if (fits) {
    if (!negative) {
      parsed = static_cast<std::int64_t>(magnitude);
    } else if (magnitude == kTwoTo63) {
      parsed = std::numeric_limits<std::int64_t>::min();
    } else {
      parsed = -static_cast<std::int64_t>(magnitude);
    }
    fits = parsed >= min && parsed <= max;
  }
  if (!fits) {
    *error = "'" + text + "' is out of range (" + std::to_string(min) + " to " +
             std::to_string(max) + ")";
    return false;
  }
  *value = parsed;
  return true;
}

bool ParseUnsigned64(const std::string& text, std::uint64_t* value, std::string* error) {
  std::uint64_t magnitude = 0;
  if (!ParseMagnitude(text, 0, &magnitude, error)) return false;
  *value = magnitude;
  return true;
}
