#pragma once
// The application: runs the upgrade window and ends when it closes.

#include "platform/app.h"

class CVandroApp : public CWinApp {
 public:
  CVandroApp();
  BOOL InitInstance() override;
};
