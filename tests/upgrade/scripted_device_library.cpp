// A stand-in for the device library, for tests that need the image file to change exactly while
// the start of a transfer opens the device pipe, a moment that the real library offers no way to
// reach. Built as libHadrelUSB.so into a directory of its own, beside the one test program that
// loads it. The device is never attached; open_file does what the test arranged and hands out
// the descriptor that the test gave it.

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#define SCRIPTED_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr long long kReplaceFirstByte = -2;
std::string g_imagePath;
long long g_newLength = -1;
int g_pipe = -1;
}  // namespace

SCRIPTED_EXPORT std::intptr_t open_dev() { return -1; }

SCRIPTED_EXPORT std::intptr_t open_file(const char*) {
  if (!g_imagePath.empty()) {
    if (g_newLength == kReplaceFirstByte) {
      // Another file in its place: the same length, but not an image any more.
      FILE* file = std::fopen(g_imagePath.c_str(), "r+b");
      if (!file) return -1;
      std::fputc('#', file);
      std::fclose(file);
    } else if (g_newLength < 0) {
      unlink(g_imagePath.c_str());
    } else if (truncate(g_imagePath.c_str(), g_newLength) != 0) {
      return -1;
    }
  }
  const int pipe = g_pipe;
  g_pipe = -1;
  return pipe;
}

// The next open_file overwrites the first byte of the file at `imagePath` (newLength -2),
// removes it (other newLength < 0) or cuts it to `newLength` bytes (an empty path: leaves every file alone), then returns `pipe`, which it takes over.
SCRIPTED_EXPORT void scripted_device_arrange(const char* imagePath, long long newLength, int pipe) {
  g_imagePath = imagePath ? imagePath : "";
  g_newLength = newLength;
  g_pipe = pipe;
}
