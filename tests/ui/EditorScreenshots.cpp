// Takes the documentation's pictures of the main window and the find dialog:
//   quorvane_editor_screenshots DOCUMENT OUTPUT_DIRECTORY
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "platform/System.h"
#include "ui/FindReplaceDialog.h"
#include "ui/MainWindow.h"
#include "ui/SourceEdit.h"

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

bool Save(QWidget* widget, const QString& path) {
  const bool saved = widget->grab().save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DOCUMENT OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);
  using namespace quorvane;
  TMainWindow window([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return true;
  });
  window.resize(860, 560);
  window.Session().LoadFile(argv[1]);
  window.show();
  TSourceEdit& edit = *window.findChild<TSourceEdit*>("Edit");
  TFindReplaceDialog& find = *window.findChild<TFindReplaceDialog*>("FindDialog1");
  edit.SetSelection(0, 0);
  edit.moveCursor(QTextCursor::Down);
  edit.moveCursor(QTextCursor::Down);
  edit.moveCursor(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  edit.setFocus();
  Settle();
  const QDir out(argv[2]);
  bool ok = Save(&window, out.filePath("main-window.png"));

  edit.SetSelection(0, 0);
  find.SetFindText("<td*>");
  window.findChild<QAction*>("MainMenuSearchSearch")->trigger();
  Settle();
  ok = Save(&find, out.filePath("find-dialog.png")) && ok;
  find.close();
  edit.SetModified(false);
  return ok ? 0 : 1;
}
