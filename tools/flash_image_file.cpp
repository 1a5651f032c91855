#include "tools/flash_image_file.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/handle.h"

namespace {

// Why a file that the platform would not open cannot be opened, as far as we can tell.
std::string WhyNotOpened(const std::string& path) {
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (status.type() == std::filesystem::file_type::not_found) return "cannot open " + path + ": no such file";
  if (!code && status.type() != std::filesystem::file_type::regular)
    return "cannot open " + path + ": not a regular file";
  return "cannot open " + path + " for reading: no permission, or another program holds it";
}

}  // namespace

bool ReadImageHead(const std::string& path, ImageHead* head, std::string* error) {
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary, nullptr)) {
    *error = WhyNotOpened(path);
    return false;
  }
  head->bytesRead = file.Read(head->bytes, sizeof head->bytes);
  file.Close();
  return true;
}

bool ReadWholeImage(const std::string& path, const ImageHead& head, WholeImage* image, std::string* error) {
  const HANDLE file = os::CreateFileA(path.c_str(), os::GENERIC_READ, os::FILE_SHARE_READ, nullptr,
                                      os::OPEN_EXISTING, 0, INVALID_HANDLE_VALUE);
  if (file == INVALID_HANDLE_VALUE) {
    *error = WhyNotOpened(path);
    return false;
  }
  DWORD high = 0;
  const DWORD length = os::GetFileSize(file, &high);
  bool ok = false;
  if (high == os::INVALID_FILE_SIZE && length == os::INVALID_FILE_SIZE) {
    *error = "cannot get the length of " + path;
  } else if (high != 0) {
    *error = path + " is too long: an image holds at most 4294967295 bytes";
  } else if (length < RAD_VALIDATION_LENGTH) {
    *error = path + " changed after it was checked: it now holds " + std::to_string(length) +
             " bytes; flash it again";
  } else {
    image->bytes.reset(static_cast<BYTE*>(std::malloc(length)));
    if (!image->bytes) {
      *error = "not enough memory to hold the " + std::to_string(length) + " bytes of " + path;
    } else {
      DWORD read = 0;
      os::ReadFile(file, image->bytes.get(), length, &read, nullptr);
      image->size = read;
      if (read != length) {
        *error = "cannot read the whole of " + path + " (" + std::to_string(read) + " of " +
                 std::to_string(length) + " bytes)";
      } else if (std::memcmp(image->bytes.get(), head.bytes, RAD_VALIDATION_LENGTH) != 0) {
        *error = path + " changed after it was checked; flash it again";
      } else {
        ok = true;
      }
    }
  }
  os::CloseHandle(file);
  if (!ok) {
    image->bytes.reset();
    image->size = 0;
  }
  return ok;
}
