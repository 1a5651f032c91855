#pragma once
// The application object and the process start. The platform supplies the program's entry point:
// it sets up the window system, then runs AfxWinMain, which calls InitInstance of the one
// application object. Command-line arguments are not passed on: the system reads none.

#include <string>

#include "platform/types.h"

class CWnd;

class CWinApp {
 public:
  // A null name means: the executable's file name without extension.
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Called once at start. TRUE would run a message loop; FALSE ends the program at once.
  virtual BOOL InitInstance();
  // Called at the end; its result is the process exit code.
  virtual int ExitInstance();

  // Where profile settings would be kept. The system keeps none, so only the name is stored.
  void SetRegistryKey(const char* key);
  // An icon of the resources by id; null when there is none.
  HICON LoadIcon(UINT id) const;
  // The default help command. No help file exists, so it does nothing.
  void OnHelp();

  // The application's name: the caption of every message box.
  std::string m_pszAppName;
  std::string m_pszRegistryKey;
  // The main window: owner of message boxes and the file chooser while it exists.
  CWnd* m_pMainWnd = nullptr;
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();

// Runs the application: InitInstance, then ExitInstance. Returns the exit code.
int AfxWinMain();

// Hosting of embedded components. The system's windows host none; there is nothing to switch on.
void AfxEnableControlContainer();

// Registration of the standard control classes named in dialog templates. The platform layer
// creates every class it knows on demand, so this only checks the structure and returns TRUE.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
