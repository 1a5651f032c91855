#pragma once
// Resource and control identifiers.

#define IDR_MAINFRAME 5
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDM_ABOUTBOX 0x0010

#define IDC_SYSTEM_DATA 1000
#define IDC_UPGRADE_GROUP 1001
#define IDC_DEVICE_STATUS 1002
#define IDC_PROGRESS 1003
#define IDC_FLASH_INFO 1004
#define IDC_DONE_TEXT 1005
#define IDC_WEB_LINK 1006

#define DEVICE_POLL_TIMER 1

// The command of the framework's help; routed to the default help handler.
#define ID_HELP 0xE146
