// The file chooser on Qt: Qt's own (non-native) file dialog, so that it looks the same on every
// desktop and tests can answer it.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "platform/app.h"
#include "platform/file_dialog.h"
#include "platform/qt/modal_hooks.h"
#include "platform/qt/window_link.h"
#include "platform/window.h"

struct PlatformPosition {};

namespace {

// The one chosen file's position.
PlatformPosition g_firstFile;

// The framework's filter string as Qt name filters: "rad file (*.rad) |*.RAD||" gives the one
// entry "rad file (*.rad) (*.RAD)". Qt takes the patterns from the last parentheses; the
// chooser shows the description alone (HideNameFilterDetails).
QStringList NameFilters(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter.c_str()).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    if (description.isEmpty()) break;  // the second '|' of the end
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      if (!p.trimmed().isEmpty()) patterns << p.trimmed();
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

QWidget* OwnerWidget(CWnd* parent) {
  if (!parent && AfxGetApp()) parent = AfxGetApp()->m_pMainWnd;
  if (parent && parent->HasWindow()) return WindowRouter::Link(parent)->widget;
  return nullptr;
}

}  // namespace

CFileDialog::CFileDialog(BOOL, const char*, const char*, DWORD, const char* filter, CWnd* parentWnd, DWORD, BOOL)
    : m_filter(filter ? filter : ""), m_pParentWnd(parentWnd) {}

CFileDialog::~CFileDialog() = default;

long CFileDialog::DoModal() {
  m_path.clear();
  QFileDialog dialog(OwnerWidget(m_pParentWnd));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setDirectory(QDir::current());
  // Names match the patterns whatever their case, as on Windows.
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  const QStringList filters = NameFilters(m_filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  RunNextModalScript();
  if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.size() != 1) return IDCANCEL;
  // The chooser admits existing files only; one that went away meanwhile counts as none chosen.
  const QFileInfo file(chosen.first());
  if (!file.exists() || file.isDir()) return IDCANCEL;
  m_path = QFile::encodeName(file.absoluteFilePath()).toStdString();
  return IDOK;
}

POSITION CFileDialog::GetStartPosition() const { return m_path.empty() ? nullptr : &g_firstFile; }

std::string CFileDialog::GetNextPathName(POSITION& pos) const {
  if (pos != &g_firstFile) return std::string();
  pos = nullptr;
  return m_path;
}

std::string CFileDialog::GetPathName() const { return m_path; }
