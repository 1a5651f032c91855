#include "device/device_access.h"

#include "platform/handle.h"
#include "platform/library.h"

DevicePresence TestDevicePresence() {
  HMODULE library = os::LoadLibraryA(kDeviceLibraryName);
  if (!library) return DevicePresence::LibraryMissing;
  auto openDev = reinterpret_cast<OpenDevProc>(os::GetProcAddress(library, "open_dev"));
  // A library without the entry point cannot test anything: it answers like a missing one.
  if (!openDev) {
    os::FreeLibrary(library);
    return DevicePresence::LibraryMissing;
  }
  const HANDLE device = openDev();
  os::FreeLibrary(library);
  if (device == INVALID_HANDLE_VALUE) return DevicePresence::Absent;
  os::CloseHandle(device);
  return DevicePresence::Attached;
}

HANDLE OpenDevicePipe(bool* loaded) {
  HMODULE library = os::LoadLibraryA(kDeviceLibraryName);
  auto openFile = library ? reinterpret_cast<OpenFileProc>(os::GetProcAddress(library, "open_file")) : nullptr;
  if (!openFile) {
    if (library) os::FreeLibrary(library);
    *loaded = false;
    return INVALID_HANDLE_VALUE;
  }
  *loaded = true;
  const HANDLE pipe = openFile(kDevicePipeName);
  os::FreeLibrary(library);
  return pipe;
}
