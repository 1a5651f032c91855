// The parts of windows and dialogs that are the same on every platform: handing messages to
// their handlers, the default handlers, and the dialog's commands.

#include "platform/gdi.h"
#include "platform/menu.h"
#include "platform/window.h"

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      // wParam holds the context to erase on, as a handle.
      return OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

void CWnd::DoDataExchange(CDataExchange*) {}
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  if (!HasWindow()) return FALSE;
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (!control.HasWindow()) control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

// The dialog manager's part: closing a dialog is pressing its Cancel.
LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (message == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const std::string& text) {
  m_items.push_back(Item{flags, id, (flags & MF_SEPARATOR) ? std::string() : text});
  return TRUE;
}
