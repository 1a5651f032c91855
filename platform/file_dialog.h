#pragma once
// The platform's file chooser, in the framework's shape: construct, DoModal, then take the
// chosen path.

#include <string>

#include "platform/types.h"

class CWnd;

// Only existing files can be chosen.
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// A place in the list of chosen files; null past the last one.
struct PlatformPosition;
using POSITION = PlatformPosition*;

class CFileDialog {
 public:
  // `openFileDialog` TRUE: a chooser for opening one existing file (the only kind the system
  // uses). `filter` is the framework's filter string: pairs of a description and its patterns,
  // each followed by '|', the whole ended by a second '|' ("rad file (*.rad) |*.RAD||"); several
  // patterns of one entry are separated by ';'. Patterns match names without regard to case, as
  // on Windows. `defExt`, `fileName`, `structSize` and `vistaStyle` change nothing here.
  explicit CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                       DWORD flags = OFN_FILEMUSTEXIST, const char* filter = nullptr, CWnd* parentWnd = nullptr,
                       DWORD structSize = 0, BOOL vistaStyle = TRUE);
  ~CFileDialog();
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // Shows the chooser, modal over the parent window (or the main window), in the current
  // directory. Returns IDOK when the user chose a file that exists, IDCANCEL when the chooser
  // was cancelled or closed; nothing changes then.
  long DoModal();

  // After IDOK: the position of the one chosen file, then its full path; GetNextPathName moves
  // `pos` past it (to null). Before IDOK, or after IDCANCEL, the start position is null.
  POSITION GetStartPosition() const;
  std::string GetNextPathName(POSITION& pos) const;
  // The full path of the chosen file; empty when none was chosen.
  std::string GetPathName() const;

 private:
  std::string m_filter;
  CWnd* m_pParentWnd;
  std::string m_path;
};
