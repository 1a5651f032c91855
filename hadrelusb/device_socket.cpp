#include "hadrelusb/device_socket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hadrel {
namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// The directory holds the only way to the device, so nobody else may put a socket there or
// read what is in it: it must be ours, a real directory, and mode 0700 (or stricter).
bool CheckPrivateDirectory(const std::string& dir, bool create, std::string* error) {
  if (create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    return Fail(error, "cannot create " + dir + ": " + std::strerror(errno));
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0) return Fail(error, dir + ": " + std::strerror(errno));
  if (S_ISLNK(st.st_mode)) return Fail(error, dir + " is a symbolic link; remove it");
  if (!S_ISDIR(st.st_mode)) return Fail(error, dir + " is not a directory; remove it");
  if (st.st_uid != geteuid()) return Fail(error, dir + " belongs to another user");
  if ((st.st_mode & 077) != 0)
    return Fail(error, dir + " is open to other users; make it private with chmod 700");
  return true;
}

std::string PrivateDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/hadrel-usb";
  return "/tmp/hadrel-usb-" + std::to_string(geteuid());
}

}  // namespace

bool FitsSocketAddress(const std::string& path) {
  return !path.empty() && path.size() < sizeof(sockaddr_un{}.sun_path);
}

std::string DeviceSocketPath(bool create, std::string* error) {
  std::string path;
  const char* named = std::getenv(kSocketEnvironment);
  if (named != nullptr && named[0] != '\0') {
    path = named;
  } else {
    std::string dir = PrivateDirectory();
    if (!CheckPrivateDirectory(dir, create, error)) return {};
    path = dir + "/device.sock";
  }
  if (!FitsSocketAddress(path)) {
    Fail(error, "socket path too long (at most " +
                    std::to_string(sizeof(sockaddr_un{}.sun_path) - 1) + " bytes): " + path);
    return {};
  }
  return path;
}

}  // namespace hadrel
