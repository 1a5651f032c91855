#pragma once
// The two reads of an image file that `radtool flash` makes, with the window's platform calls:
// the validation read of the first 1028 bytes (exclusive open, one read), and the whole file
// into memory (shared open, its length in 32 bits, one read).

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/types.h"
#include "transfer/rad_header.h"

// The validation read: what one read of 1028 bytes from the start of the file returned.
struct ImageHead {
  unsigned char bytes[RAD_VALIDATION_LENGTH] = {};
  UINT bytesRead = 0;
};

// Opens the file as the window does and reads its head. False with a one-line reason when the
// file cannot be opened (missing, not a regular file, not readable, or held by another program).
bool ReadImageHead(const std::string& path, ImageHead* head, std::string* error);

// The whole image file in one heap buffer.
struct WholeImage {
  std::unique_ptr<BYTE, decltype(&std::free)> bytes{nullptr, &std::free};
  DWORD size = 0;
};

// Reads the whole file in one read. False with a one-line reason when it cannot be opened, its
// length does not fit 32 bits, it is now shorter than 1028 bytes, memory runs short, the read
// falls short, or its first 1028 bytes are no longer those of `head` (the file changed after it
// was judged; sending it would send an image nobody checked).
bool ReadWholeImage(const std::string& path, const ImageHead& head, WholeImage* image, std::string* error);
