// Takes the documentation's pictures of the main window and the find dialog:
//   quorvane_editor_screenshots DOCUMENT OUTPUT_DIRECTORY
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "platform/System.h"
#include "ui/FindReplaceDialog.h"
#include "ui/FormMain.h"
#include "ui/RichEditEx.h"

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
  TFormMain window([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return true;
  });
  window.resize(860, 560);
  window.LoadFile(argv[1]);
  window.show();
  window.Edit->SetSelection(0, 0);
  window.Edit->moveCursor(QTextCursor::Down);
  window.Edit->moveCursor(QTextCursor::Down);
  window.Edit->moveCursor(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  window.Edit->setFocus();
  Settle();
  const QDir out(argv[2]);
  bool ok = Save(&window, out.filePath("main-window.png"));

  window.Edit->SetSelection(0, 0);
  window.FindDialog()->SetFindText("<td*>");
  window.MainMenuSearchSearch->trigger();
  Settle();
  ok = Save(window.FindDialog(), out.filePath("find-dialog.png")) && ok;
  window.FindDialog()->close();
  window.Edit->SetModified(false);
  return ok ? 0 : 1;
}
