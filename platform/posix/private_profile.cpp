// Reading a value from an initialisation file, as the desktop platform's private-profile
// function does: sections in brackets, key=value lines, ';' comments, names without regard to
// case. The file is read line by line on every call, so an edited file is seen at once, and
// each call works only in its own buffers.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/profile.h"
#include "platform/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

bool SameName(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Reads one line without its line end; false at the end of the file.
bool ReadLine(std::FILE* file, std::string& line) {
  line.clear();
  int c;
  bool any = false;
  while ((c = std::fgetc(file)) != EOF) {
    any = true;
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
  return any;
}

// Finds the value, or returns false when the section or the key is missing.
bool FindValue(std::FILE* file, const char* section, const char* key, std::string& value) {
  std::string line;
  bool first = true;
  bool inSection = false;   // within the first section of that name
  bool sectionSeen = false;
  while (ReadLine(file, line)) {
    if (first) {
      first = false;
      if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // UTF-8 byte-order mark
    }
    const std::string text = Trim(line);
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      if (inSection) return false;  // the first section of that name has ended without the key
      const size_t close = text.find(']');
      const std::string name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      if (!sectionSeen && SameName(name, section)) inSection = sectionSeen = true;
      continue;
    }
    if (!inSection) continue;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    if (!SameName(Trim(text.substr(0, eq)), key)) continue;
    value = Trim(text.substr(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
      value = value.substr(1, value.size() - 2);
    }
    return true;
  }
  return false;
}

// Opens a regular file for reading, or returns null. A FIFO, a device such as /dev/zero or a
// directory named like the file would hang the lookup or never end it: they count as missing.
std::FILE* OpenRegularFile(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

}  // namespace

namespace os {

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                               DWORD size, const char* path) {
  if (!buffer || size == 0) return 0;
  std::string value = defaultValue ? defaultValue : "";
  if (section && key && path) {
    if (std::FILE* file = OpenRegularFile(path)) {
      std::string found;
      if (FindValue(file, section, key, found)) value = found;
      std::fclose(file);
    }
  }
  // A value longer than the buffer is cut, never inside a character.
  const size_t n = value.size() > size - 1 ? WholeCharacterPrefix(value.data(), size - 1) : value.size();
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

}  // namespace os
