#pragma once
// Windows, dialogs and their messages, in the shape of the desktop framework the tool was designed
// on. A window object (CWnd) is a C++ object; the platform's window behind it exists between its
// creation and its destruction. Messages reach the object through WindowProc, which hands each one
// to its On... handler; a handler that wants the platform's own behaviour calls Default().
//
// Threads: every window belongs to the window's thread (the thread that runs AfxWinMain, or the
// test's main thread). Only SendMessage, SetDlgItemText and EnableWindow may be called from other
// threads; everything else is for the window's thread alone.

#include <memory>
#include <string>

#include "platform/geometry.h"
#include "platform/types.h"

class CDC;
class CMenu;
class CDataExchange;
struct WindowLink;  // the backend's shared record of one platform window

// Messages and notifications that the system handles or sends.
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT PBM_SETRANGE = 0x0401;
constexpr UINT PBM_SETPOS = 0x0402;

constexpr UINT BN_CLICKED = 0;
constexpr UINT SC_CLOSE = 0xF060;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_STATIC = -1;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // True while the platform's window behind this object exists.
  bool HasWindow() const;

  // Sends a message to this window and returns the handler's result. On the window's thread the
  // handler runs at once. From any other thread the call blocks until the window's thread has
  // handled the message; once the window is destroyed (or when it never existed) it does nothing
  // and returns 0, also for a call that was waiting when the window went away.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Title of a top-level window, or text of a control. Set even when empty; the text is shown
  // exactly as given (no format characters, '&' marks the access key of a button as usual).
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;

  // Sets the text of the child control with this id; any thread, as SendMessage.
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id) const;

  // The child control with this id, or null. The object stays valid as long as this window
  // exists; after DDX_Control it is the bound member itself.
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;

  // Enables or disables input to the window; any thread, as SendMessage. Returns whether the
  // window was disabled before.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;

  // Starts the timer with this id, or restarts it with the new period when it runs already;
  // WM_TIMER arrives every `elapseMs` from now on. Timers end with the window. Returns the id,
  // or 0 without a window.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void (*timerProc)() = nullptr);
  BOOL KillTimer(UINT_PTR id);

  // Client area, with left and top 0.
  void GetClientRect(CRect* rect) const;
  // Asks for a repaint of the whole window; the paint comes later, on the window's thread.
  void Invalidate(BOOL erase = TRUE);
  BOOL IsIconic() const;

  // The window menu; null when the window has none. On Linux the window manager owns the
  // title-bar menu, so this menu opens as the window's context menu instead.
  CMenu* GetSystemMenu(BOOL revert);

  // WM_SETICON: ICON_BIG or ICON_SMALL; returns the icon set before.
  HICON SetIcon(HICON icon, BOOL bigIcon);

  // Runs the data exchange of this window (DoDataExchange).
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // Takes over the child control `id` of `parent`: from now on its messages reach this object's
  // WindowProc, and what this object leaves to Default() gets the control's own behaviour.
  BOOL SubclassDlgItem(UINT id, CWnd* parent);

 protected:
  // Hands a message to its handler. Unhandled messages go to DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The platform's own behaviour for the message (for a subclassed control: the control's).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProc with the message that is being handled.
  LRESULT Default();

  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnPaint();
  virtual BOOL OnEraseBkgnd(CDC* pDC);
  virtual void OnTimer(UINT_PTR nIDEvent);
  virtual void OnSysCommand(UINT nID, LPARAM lParam);
  virtual HCURSOR OnQueryDragIcon();
  // WM_COMMAND: low word of wParam the control id, high word the notification.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

 private:
  friend struct WindowLink;
  friend class WindowRouter;
  friend class CDialog;
  std::shared_ptr<WindowLink> m_link;
  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  } m_current;
};

// The data exchange of a dialog: which window, and in which direction.
class CDataExchange {
 public:
  CDataExchange(CWnd* dlgWnd, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's child `id` on the first exchange; later exchanges leave the
// binding as it is.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// A modal dialog built from a dialog template of the resources.
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the window from the template, sends WM_INITDIALOG, shows it and runs until
  // EndDialog; then destroys the window and returns EndDialog's result. Owner windows are
  // disabled meanwhile. Returns -1 at once when the template does not exist.
  virtual long DoModal();
  // Ends the modal loop with this result once the current message is handled.
  void EndDialog(int result);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  UINT m_templateId;
  CWnd* m_pParentWnd;
};
