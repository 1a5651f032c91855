// A program that opens the upgrade window, prints what it shows, and closes it by Cancel. Tests
// copy it into directories with and without a lang.ini beside it, since the window reads its
// texts from the directory of the running executable.

#include <cstdio>

#include "platform/app.h"
#include "platform/testing.h"
#include "res/resource.h"
#include "ui/vandro_dlg.h"

namespace {

void PrintLine(const char* name, const std::string& text) { std::printf("%s=%s\n", name, text.c_str()); }

}  // namespace

int main() {
  platform::test::InitWindowSystem();
  CWinApp app;
  CVandroDlg dlg;
  app.m_pMainWnd = &dlg;
  platform::test::WhenModal([&] {
    PrintLine("title", dlg.GetWindowText());
    PrintLine("cancel", dlg.GetDlgItemText(IDCANCEL));
    PrintLine("image", dlg.GetDlgItemText(IDC_SYSTEM_DATA));
    PrintLine("status", dlg.GetDlgItemText(IDC_DEVICE_STATUS));
    PrintLine("group", dlg.GetDlgItemText(IDC_UPGRADE_GROUP));
    PrintLine("web", dlg.GetDlgItemText(IDC_WEB_LINK));
    platform::test::Click(&dlg, IDCANCEL);
  });
  const long result = dlg.DoModal();
  app.m_pMainWnd = nullptr;
  std::printf("result=%ld\n", result);
  return 0;
}
