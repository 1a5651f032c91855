#include "app/vandro_app.h"

#include "ui/vandro_dlg.h"

// The one application object.
CVandroApp theApp;

// No name of our own: the application is named after the executable file, and so is the
// caption of every message box.
CVandroApp::CVandroApp() : CWinApp(nullptr) {}

BOOL CVandroApp::InitInstance() {
  INITCOMMONCONTROLSEX InitCtrls;
  InitCtrls.dwSize = sizeof(InitCtrls);
  InitCtrls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&InitCtrls);

  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey("Local AppWizard-Generated Applications");

  {
    CVandroDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // Nothing may reach the window object once it is gone.
    m_pMainWnd = nullptr;
  }
  // The window has closed: end the program instead of entering a message loop.
  return FALSE;
}
