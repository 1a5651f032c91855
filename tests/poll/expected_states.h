#pragma once
// The three states of the poll as the lang.ini beside the test program words them.

#include <string>

#include "platform/profile.h"
#include "tests/poll/polled_window.h"

namespace polltest {

// A text of the lang.ini that the build puts beside the test program, read directly.
inline std::string Lang(const char* section, const char* key) {
  char text[260];
  const std::string path = std::string(DOWNLOAD_BIN_DIR) + "/lang.ini";
  os::GetPrivateProfileStringA(section, key, "", text, sizeof text, path.c_str());
  return text;
}

// The window has opened and not yet polled.
inline PollState Starting() { return {Lang("message", "1025"), false, 100}; }
// The last poll found the device.
inline PollState Attached() { return {Lang("message", "1024"), true, 1000}; }
// The last poll did not find it.
inline PollState Absent() { return {Lang("message", "1025"), false, 800}; }

}  // namespace polltest
