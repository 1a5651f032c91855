#pragma once
// The device, reached only through the device library: loaded for each use and released at
// once. Handles it returned stay valid after the release.

#include "platform/types.h"

// The library's name; the platform layer maps it to its own file name beside the executable.
constexpr const char* kDeviceLibraryName = "HadrelUSB.dll";
// The device's pipe that takes an image.
constexpr const char* kDevicePipeName = "PIPE00";

// The library's entry points, called with the C calling convention.
using OpenDevProc = HANDLE (*)();
using OpenFileProc = HANDLE (*)(const char* pipeName);

enum class DevicePresence {
  LibraryMissing,  // the library could not be loaded: nothing was tested
  Attached,
  Absent,
};

// Loads the library, asks open_dev whether the device is attached, releases the library and
// closes the handle it got at once.
DevicePresence TestDevicePresence();

// Loads the library, opens the device pipe with open_file, releases the library. `loaded` tells
// whether the library could be loaded; the handle is returned as the library gave it (it may be
// INVALID_HANDLE_VALUE). A library without the entry point counts as not loaded.
HANDLE OpenDevicePipe(bool* loaded);
