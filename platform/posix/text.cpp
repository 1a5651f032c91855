// Whole characters of UTF-8 text.

#include "platform/text.h"

namespace os {

std::size_t WholeCharacterPrefix(const char* text, std::size_t length) {
  if (length == 0) return 0;
  // The start of the last character: step back over its continuation bytes (10xxxxxx).
  std::size_t start = length - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  std::size_t needed = 1;
  if ((lead & 0xE0) == 0xC0) {
    needed = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    needed = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    needed = 4;
  }
  // A character that does not fit whole is dropped; bytes that are no UTF-8 at all stay.
  return start + needed > length ? start : length;
}

}  // namespace os
