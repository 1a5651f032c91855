// Texts of the user interface, looked up in lang.ini beside the executable.

#include "platform/module.h"
#include "platform/profile.h"
#include "ui/vandro_dlg.h"

std::string CVandroDlg::GetLangText(const char* section, const char* key) {
  // The executable's own directory, never the current one: without the executable's path there
  // is no lang.ini to read.
  const std::string module = os::GetModuleFileName();
  if (module.empty()) return std::string();
  const std::string path = os::DirectoryOf(module) + "lang.ini";
  char text[260];
  os::GetPrivateProfileStringA(section, key, "", text, sizeof text, path.c_str());
  return std::string(text);
}
