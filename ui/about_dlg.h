#pragma once
// The About box: fixed texts of its template, nothing from lang.ini.

#include "platform/window.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
