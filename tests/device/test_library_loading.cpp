// Loading the device library: from the executable's own directory only, by the Windows name.

#include <cstring>
#include <filesystem>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hadrelusb/hadrelusb.h"
#include "platform/handle.h"
#include "platform/library.h"
#include "platform/module.h"
#include "tests/support/temp_dir.h"

namespace devicetest {
namespace {

// The directory of the file that holds `symbol`, with a trailing slash.
std::string DirectoryHolding(FARPROC symbol) {
  Dl_info info{};
  void* address;
  std::memcpy(&address, &symbol, sizeof address);
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return os::DirectoryOf(std::filesystem::canonical(info.dli_fname).string());
}

std::string ExecutableDirectory() {
  return os::DirectoryOf(std::filesystem::canonical("/proc/self/exe").string());
}

// "HadrelUSB.dll" is libHadrelUSB.so next to this test program, with both entry points.
TEST(LibraryLoadingTest, LoadsTheDeviceLibraryFromTheExecutablesDirectory) {
  for (const char* name : {"HadrelUSB.dll", "HadrelUSB.DLL", "libHadrelUSB.so"}) {
    HMODULE library = os::LoadLibraryA(name);
    ASSERT_NE(library, nullptr) << name;
    FARPROC openDev = os::GetProcAddress(library, "open_dev");
    ASSERT_NE(openDev, nullptr);
    EXPECT_NE(os::GetProcAddress(library, "open_file"), nullptr);
    EXPECT_EQ(os::GetProcAddress(library, "open_device"), nullptr) << "no such entry point";
    EXPECT_EQ(DirectoryHolding(openDev), ExecutableDirectory());
    EXPECT_TRUE(os::FreeLibrary(library));
  }
  EXPECT_EQ(os::GetProcAddress(nullptr, "open_dev"), nullptr);
  EXPECT_FALSE(os::FreeLibrary(nullptr));
}

// A release really unloads the library, also after an entry point was called, so that a library
// removed or replaced beside the program is what the next load finds (or does not find).
TEST(LibraryLoadingTest, ReleaseUnloadsTheLibrary) {
  HMODULE library = os::LoadLibraryA("HadrelUSB.dll");
  ASSERT_NE(library, nullptr);
  auto openDev = reinterpret_cast<open_dev_fn>(os::GetProcAddress(library, "open_dev"));
  ASSERT_NE(openDev, nullptr);
  const HANDLE device = openDev();
  if (device != INVALID_HANDLE_VALUE) os::CloseHandle(device);
  EXPECT_TRUE(os::FreeLibrary(library));

  const std::string path = ExecutableDirectory() + "libHadrelUSB.so";
  void* stillLoaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  EXPECT_EQ(stillLoaded, nullptr) << "the released library stays in the process";
  if (stillLoaded) dlclose(stillLoaded);
}

// Names that would reach outside the executable's directory are refused outright.
TEST(LibraryLoadingTest, RefusesNamesWithADirectory) {
  const std::string absolute = ExecutableDirectory() + "libHadrelUSB.so";
  for (const char* name : {static_cast<const char*>(nullptr), "", ".", "..", "../bin/HadrelUSB.dll",
                           "./HadrelUSB.dll", "bin\\HadrelUSB.dll", absolute.c_str()}) {
    HMODULE library = os::LoadLibraryA(name);
    EXPECT_EQ(library, nullptr) << (name ? name : "(null)");
    if (library) os::FreeLibrary(library);
  }
}

// A library that lies only in the current directory, or only on the loader's search path, is
// never taken, though the loader itself would find it there.
TEST(LibraryLoadingTest, IgnoresTheCurrentDirectoryAndTheSearchPath) {
  TempDir dir;
  const std::string copy = dir.File("libHadrelCwdOnly.so");
  std::filesystem::copy_file(ExecutableDirectory() + "libHadrelUSB.so", copy);
  const std::string oldCwd = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(dir.path().c_str()), 0);

  void* direct = dlopen("./libHadrelCwdOnly.so", RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(direct, nullptr) << "the copy itself loads";
  if (direct) dlclose(direct);
  EXPECT_EQ(os::LoadLibraryA("HadrelCwdOnly.dll"), nullptr);
  EXPECT_EQ(os::LoadLibraryA("libHadrelCwdOnly.so"), nullptr);
  ASSERT_EQ(chdir(oldCwd.c_str()), 0);

  // libz.so is on the system's search path wherever zlib's development files are installed.
  void* searched = dlopen("libz.so", RTLD_NOW | RTLD_LOCAL);
  if (searched == nullptr) GTEST_SKIP() << "no library on the search path to try";
  dlclose(searched);
  EXPECT_EQ(os::LoadLibraryA("z.dll"), nullptr);
}

}  // namespace
}  // namespace devicetest
