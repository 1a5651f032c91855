// Libraries on POSIX: dlopen() of a full path inside the executable's own directory, so that the
// dynamic loader's search (LD_LIBRARY_PATH, RUNPATH, system directories) is never consulted.

#include "platform/library.h"

#include <cstring>
#include <string>

#include <dlfcn.h>
#include <strings.h>

#include "platform/module.h"

namespace os {
namespace {

bool EndsWithDll(const std::string& name) {
  if (name.size() <= 4) return false;
  return strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

// "X.dll" becomes "libX.so"; other names stay as they are. Empty for names that could leave the
// directory or name no file.
std::string PlatformFileName(const char* name) {
  if (name == nullptr) return {};
  std::string file(name);
  if (file.empty() || file == "." || file == ".." || file.find_first_of("/\\") != std::string::npos)
    return {};
  if (EndsWithDll(file)) file = "lib" + file.substr(0, file.size() - 4) + ".so";
  return file;
}

}  // namespace

HMODULE LoadLibraryA(const char* name) {
  std::string file = PlatformFileName(name);
  if (file.empty()) return nullptr;
  // The executable's directory as the kernel knows it, with its trailing slash.
  std::string dir = DirectoryOf(GetModuleFileName());
  if (dir.empty()) return nullptr;
  std::string path = dir + file;
  // A path with a slash makes dlopen() load exactly that file. RTLD_LOCAL keeps its symbols to
  // itself; RTLD_NOW reports a broken library here rather than at the first call.
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  void* symbol = dlsym(module, name);
  // POSIX guarantees that an object pointer from dlsym() converts to a function pointer.
  FARPROC entry;
  static_assert(sizeof entry == sizeof symbol, "function and object pointers differ in size");
  std::memcpy(&entry, &symbol, sizeof entry);
  return entry;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  return dlclose(module) == 0 ? TRUE : FALSE;
}

}  // namespace os
