#include "tests/support/device_calls.h"

#include <cstdint>

#include <gtest/gtest.h>

#include "hadrelusb/hadrelusb.h"
#include "platform/handle.h"
#include "platform/library.h"

namespace devicetest {

HANDLE CallOpenDev() {
  HMODULE library = os::LoadLibraryA("HadrelUSB.dll");
  if (library == nullptr) return INVALID_HANDLE_VALUE;
  auto openDev = reinterpret_cast<open_dev_fn>(os::GetProcAddress(library, "open_dev"));
  HANDLE device = openDev != nullptr ? openDev() : INVALID_HANDLE_VALUE;
  os::FreeLibrary(library);
  return device;
}

HANDLE CallOpenFile(const char* pipe) {
  HMODULE library = os::LoadLibraryA("HadrelUSB.dll");
  if (library == nullptr) return INVALID_HANDLE_VALUE;
  auto openFile = reinterpret_cast<open_file_fn>(os::GetProcAddress(library, "open_file"));
  HANDLE handle = openFile != nullptr ? openFile(pipe) : INVALID_HANDLE_VALUE;
  os::FreeLibrary(library);
  return handle;
}

bool DevicePresent() {
  HANDLE device = CallOpenDev();
  if (device == INVALID_HANDLE_VALUE) return false;
  EXPECT_TRUE(os::CloseHandle(device));
  return true;
}

bool WriteWithRetries(HANDLE pipe, const std::string& piece, int attempts, int* failures) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    DWORD written = 0;
    if (os::WriteFile(pipe, piece.data(), static_cast<DWORD>(piece.size()), &written)) {
      EXPECT_EQ(written, piece.size());
      return true;
    }
    ++*failures;
    os::Sleep(1);
  }
  return false;
}

std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

}  // namespace devicetest
