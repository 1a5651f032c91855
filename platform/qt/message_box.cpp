// The application's message box on Qt.

#include <QMessageBox>

#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/qt/modal_hooks.h"
#include "platform/qt/window_link.h"
#include "platform/window.h"

int AfxMessageBox(const std::string& text, UINT, UINT) {
  CWinApp* app = AfxGetApp();
  QWidget* owner = nullptr;
  if (app && app->m_pMainWnd && app->m_pMainWnd->HasWindow()) owner = WindowRouter::Link(app->m_pMainWnd)->widget;
  const QString caption = QString::fromUtf8(app ? app->m_pszAppName.c_str() : "");
  // MB_OK without an icon of its own: one OK button and the exclamation icon.
  QMessageBox box(QMessageBox::Warning, caption, QString::fromUtf8(text.c_str()), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  RunNextModalScript();
  box.exec();
  return IDOK;
}
