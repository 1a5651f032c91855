// The running program's own file on Linux: /proc/self/exe names it whatever the command line
// or the current directory say.

#include "platform/module.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

namespace os {

std::string GetModuleFileName() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BaseNameWithoutExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace os
