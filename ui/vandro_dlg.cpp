// The upgrade window: construction, initialisation, the About entry of the window menu, and
// painting while minimised.

#include "ui/vandro_dlg.h"

#include "platform/app.h"
#include "platform/gdi.h"
#include "platform/menu.h"
#include "platform/resources.h"
#include "res/resource.h"
#include "transfer/transfer_window_gate.h"
#include "ui/about_dlg.h"

CVandroDlg::CVandroDlg(CWnd* pParent)
    : CDialog(IDD_MAIN_DIALOG, pParent),
      m_hIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr),
      m_bDeviceConnected(false),
      m_transferGate(std::make_shared<TransferWindowGate>(this)) {}

// A transfer worker may still run: close its way to this object before any member goes.
CVandroDlg::~CVandroDlg() { m_transferGate->Detach(); }

void CVandroDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CVandroDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The About entry at the end of the window menu.
  if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
    const char* about = FindStringResource(IDS_ABOUTBOX);
    if (about && *about) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  SetWindowText(GetLangText("title", "100"));
  SetDlgItemText(IDC_SYSTEM_DATA, GetLangText("control", "1003"));
  SetDlgItemText(IDCANCEL, GetLangText("control", "1001"));
  SetDlgItemText(IDC_DEVICE_STATUS, GetLangText("message", "1025"));

  m_progress.SetRange(0, 100);
  m_progress.SetPos(0);
  m_progress.SetShowPercentage(TRUE);
  m_progress.SetStartColor(0x808000);  // RGB(0, 128, 128)
  m_progress.SetEndColor(0x800000);    // RGB(0, 0, 128)
  m_progress.SetTextColor(0x008000);   // RGB(0, 128, 0)

  SetTimer(DEVICE_POLL_TIMER, 100, nullptr);
  return TRUE;
}

void CVandroDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

// Minimised, the window draws the application icon centred in its client area.
void CVandroDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int cxIcon = os::GetSystemMetrics(SM_CXICON);
  const int cyIcon = os::GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  const int x = (rect.Width() - cxIcon + 1) / 2;
  const int y = (rect.Height() - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

BOOL CVandroDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_SYSTEM_DATA && HIWORD(wParam) == BN_CLICKED) {
    OnBnClickedSystemData();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

LRESULT CVandroDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TRANSFER_ENDED) {
    OnTransferEnded();
    return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

// The icon shown while the minimised window is dragged.
HCURSOR CVandroDlg::OnQueryDragIcon() { return m_hIcon; }
