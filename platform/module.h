#pragma once
// The running program's own file.

#include <string>

namespace os {

// Full path of the running executable, found from the running process itself (never from the
// command line or the current directory). Empty when it cannot be found.
std::string GetModuleFileName();

// The directory part of a path, with its trailing separator ("/opt/x/" for "/opt/x/Download").
std::string DirectoryOf(const std::string& path);

// The file name of a path without directory and extension ("Download" for "/opt/x/Download.exe").
std::string BaseNameWithoutExtension(const std::string& path);

}  // namespace os
