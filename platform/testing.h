#pragma once
// Helpers for tests that drive windows: they stand in for the user (clicks, keys, the close box)
// and read back what the user would see. Only tests include this.

#include <functional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/types.h"

class CWnd;

namespace platform::test {

// Sets up the window system for a test program once (headless where there is no display).
void InitWindowSystem();

// Processes the window thread's events until `done` returns true or `timeoutMs` has passed;
// returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Runs `script` inside the next modal loop that starts (a dialog, a message box or the file
// chooser), once that window is up. Scripts queue: each modal loop takes the next one.
void WhenModal(std::function<void()> script);

// What the topmost modal message box shows; `shown` is false when none is open.
struct MessageBoxInfo {
  bool shown = false;
  std::string caption;
  std::string text;
  bool exclamationIcon = false;
  std::vector<std::string> buttons;
};
MessageBoxInfo ActiveMessageBox();
// Presses the OK button of the topmost message box.
void CloseActiveMessageBox();

// The file chooser that is open, if any, and answering it.
struct FileDialogInfo {
  bool shown = false;
  std::string title;
  std::vector<std::string> nameFilters;
};
FileDialogInfo ActiveFileDialog();
// Chooses `path` in the open file chooser, as if the user typed it and pressed Open.
void ChooseFileInActiveDialog(const std::string& path);
void CancelActiveFileDialog();
// The names that the open file chooser lists in the directory it shows, as far as it has read
// that directory yet (it reads in the background: pump until the names expected are there).
std::vector<std::string> FilesListedInActiveDialog();

// The modal dialog on top (the About box over the upgrade window, say), or null.
CWnd* ActiveModalWindow();

// What a control looks like on screen.
struct ControlInfo {
  bool exists = false;
  std::string className;  // "button", "static" or "msctls_progress32"
  std::string text;
  CRect rect;             // pixels, in the dialog's client area
  bool visible = false;
  bool enabled = false;
  bool focused = false;
  bool isDefault = false; // a default push button
  bool tabStop = false;
};
ControlInfo GetControlInfo(CWnd* dialog, int id);
// The texts of all controls, in template order (icons and bars give "").
std::vector<std::string> ControlTexts(CWnd* dialog);
// Ids of the controls in tab order (only tab stops).
std::vector<int> TabOrder(CWnd* dialog);
// Size of the client area in pixels.
CSize ClientSize(CWnd* window);

// The user's actions.
void Click(CWnd* dialog, int id);
enum class Key { Escape, Enter, Space, Tab, AltF4 };
void PressKey(CWnd* window, Key key);
void PressCloseBox(CWnd* window);
// Opens the window menu (the context menu on Linux) and chooses the item with this command id.
void ChooseWindowMenuItem(CWnd* window, UINT_PTR commandId);
// The texts of the window menu, in order; separators as "-".
std::vector<std::string> WindowMenuTexts(CWnd* window);
void Minimize(CWnd* window);

// The period of a running timer of the window in ms, or -1 when it does not run.
int TimerPeriod(CWnd* window, UINT_PTR id);
// Delivers WM_TIMER for this id at once, as if it had fired.
void FireTimer(CWnd* window, UINT_PTR id);

// A picture of a window as it paints itself now.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
  COLORREF Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Image Grab(CWnd* window);

// Paints the window now, as the window system does after a change: its WM_ERASEBKGND and
// WM_PAINT (and those of the windows beneath, where it does not cover them) are handled before
// this returns. For benchmarks of painting; a hidden window paints nothing.
void RepaintNow(CWnd* window);

}  // namespace platform::test
