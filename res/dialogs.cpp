// The dialog templates: the upgrade window and the About box.

#include "platform/resources.h"
#include "res/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// The upgrade window: its eight controls in tab and drawing order; only the two push buttons
// are tab stops, and neither is a default push button.
const DialogItemTemplate kMainItems[] = {
    {2 /* IDCANCEL */, "button", kChild | WS_TABSTOP, 196, 31, 78, 25, "Cancel"},
    {IDC_UPGRADE_GROUP, "button", kChild | BS_GROUPBOX, 7, 15, 112, 54, "UPGRADE"},
    {IDC_SYSTEM_DATA, "button", kChild | WS_TABSTOP, 11, 28, 103, 34, "System Data"},
    {IDC_DEVICE_STATUS, "static", kChild | WS_GROUP, 161, 64, 163, 12, "Static"},
    {IDC_PROGRESS, "msctls_progress32", kChild | WS_BORDER | PBS_SMOOTH, 7, 82, 317, 12, ""},
    {IDC_FLASH_INFO, "static", kChild | WS_GROUP, 7, 108, 156, 8, ""},
    {IDC_DONE_TEXT, "static", kChild | WS_GROUP, 226, 105, 98, 11, ""},
    {IDC_WEB_LINK, "static", kChild | WS_GROUP, 104, 139, 94, 8, "www.oltra2.example"},
};

const DialogTemplate kMainDialog = {
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    WS_EX_APPWINDOW,
    0, 0, 331, 154,
    "Grenhalt",
    "System", 12, 400, FALSE, 129,
    kMainItems, sizeof(kMainItems) / sizeof(kMainItems[0]),
};

// The About box. Its icon shows the application icon: the template names it by resource id.
const DialogItemTemplate kAboutItems[] = {
    {-1, "static", kChild | SS_ICON, 11, 17, 20, 20, "#5"},
    {-1, "static", kChild | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8, "Oltra II Download Version 1.0"},
    {-1, "static", kChild | WS_GROUP, 40, 25, 119, 8, "Copyright (C) Oltra II. All rights reserved."},
    {1 /* IDOK */, "button", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50, 16, "OK"},
};

const DialogTemplate kAboutBox = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
    0,
    0, 0, 235, 55,
    "About Download",
    "MS Shell Dlg", 8, 0, FALSE, 1,
    kAboutItems, sizeof(kAboutItems) / sizeof(kAboutItems[0]),
};

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id) {
  switch (id) {
    case IDD_MAIN_DIALOG:
      return &kMainDialog;
    case IDD_ABOUTBOX:
      return &kAboutBox;
    default:
      return nullptr;
  }
}

const char* FindStringResource(UINT id) { return id == IDS_ABOUTBOX ? "&About ..." : nullptr; }
