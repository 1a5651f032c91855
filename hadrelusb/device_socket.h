#pragma once
// Where the device's socket lies. Shared by the library, which connects to it, and the
// simulator, which listens on it.

#include <string>

namespace hadrel {

// The environment variable that names the socket's path; it wins over the default.
constexpr const char kSocketEnvironment[] = "HADREL_USB_SOCKET";

// The socket's path: $HADREL_USB_SOCKET when set and not empty, else device.sock in a private
// directory: $XDG_RUNTIME_DIR/hadrel-usb/ when XDG_RUNTIME_DIR is an absolute path, else
// /tmp/hadrel-usb-<uid>/. The private directory must belong to this user, be a real directory
// (not a symbolic link) and be closed to everybody else (mode 0700); with `create` it is made
// when missing. Returns an empty string and a one-line `error` when the path cannot be used
// (also when it is too long for a socket address).
std::string DeviceSocketPath(bool create, std::string* error);

// True when `path` fits into a socket address.
bool FitsSocketAddress(const std::string& path);

}  // namespace hadrel
