#pragma once
// Loading the device library at run time: load by name, take an entry point, release.

#include "platform/types.h"

namespace os {

// Loads a library that lies next to the running executable, and only there: never from the
// current directory or the system's library search path, so that a file planted elsewhere is
// never run. The name is a bare file name (no directory part); "X.dll" stands for the platform's
// file name of that library ("libX.so" on Linux), any other name is taken as it stands.
// Returns nullptr when the name has a directory part, the file is missing, or it does not load.
HMODULE LoadLibraryA(const char* name);

// The entry point exported under `name`, or nullptr when the library has none (or the module is
// nullptr). Cast it to the entry point's own function type before calling it.
FARPROC GetProcAddress(HMODULE module, const char* name);

// Releases a library from LoadLibraryA. Handles that its entry points returned stay valid.
// FALSE for nullptr or when the platform refuses.
BOOL FreeLibrary(HMODULE module);

}  // namespace os
