// The application object and the framework's start on Qt.

#include "platform/app.h"

#include "platform/module.h"
#include "platform/qt/icon.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName)
    : m_pszAppName(appName ? appName : os::BaseNameWithoutExtension(os::GetModuleFileName())) {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
void CWinApp::SetRegistryKey(const char* key) { m_pszRegistryKey = key ? key : ""; }
HICON CWinApp::LoadIcon(UINT id) const { return IconFromResource(id); }
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  // A TRUE result would enter a message loop of the application's own; the system's windows
  // are all modal and run their own loops, so there is nothing more to run here.
  app->InitInstance();
  return app->ExitInstance();
}

void AfxEnableControlContainer() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}
