#pragma once
// Narrow text in the platform's character set (UTF-8 on Linux).

#include <cstddef>

namespace os {

// The length of the longest prefix of the `length` bytes at `text` that ends on a whole
// character, so that a text cut to fit a buffer never ends in part of a character.
std::size_t WholeCharacterPrefix(const char* text, std::size_t length);

}  // namespace os
