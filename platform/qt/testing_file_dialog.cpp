// Test helpers on Qt for the file chooser: what it lists.

#include <QAbstractItemModel>
#include <QApplication>
#include <QFileDialog>
#include <QListView>

#include "platform/testing.h"

namespace platform::test {

std::vector<std::string> FilesListedInActiveDialog() {
  std::vector<std::string> names;
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  // Qt's own file dialog names its list of the current directory "listView".
  auto* view = dialog ? dialog->findChild<QListView*>(QStringLiteral("listView")) : nullptr;
  QAbstractItemModel* model = view ? view->model() : nullptr;
  if (!model) return names;
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < model->rowCount(root); ++row) {
    names.push_back(model->index(row, 0, root).data().toString().toStdString());
  }
  return names;
}

}  // namespace platform::test
