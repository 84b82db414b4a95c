// Takes the documentation's pictures of the main window and the find dialog, or with "de" those
// of a German session (the main window with its file menu, the Open dialog, a message box):
//   quorvane_editor_screenshots DOCUMENT OUTPUT_DIRECTORY [de]
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "batch/Messages.h"
#include "platform/System.h"
#include "ui/DialogMessages.h"
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

// The screen where `widget` and the popups over it are, with a margin.
bool SaveScreen(QWidget* widget, const QRect& area, const QString& path) {
  const QRect shown = area.adjusted(-8, -8, 8, 8);
  const bool saved = widget->screen()
                         ->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height())
                         .save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

// Saves the next modal window that `open` shows, then closes it.
bool SaveModal(const std::function<void()>& open, const QString& path) {
  bool saved = false;
  QTimer::singleShot(300, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr) {
      Settle();
      saved = SaveScreen(modal, modal->frameGeometry(), path);
      modal->close();
    }
  });
  open();
  return saved;
}

// A German session on a copy of the document named as a German user names files.
int GermanShots(const char* document, const QDir& out) {
  using namespace quorvane;
  QTemporaryDir site;
  const std::filesystem::path name = std::filesystem::path(site.path().toStdString()) /
                                     "\xC3\x9C"
                                     "bersicht gr\xC3\xBCn.htm";
  std::filesystem::copy_file(document, name);
  std::filesystem::copy_file(document,
                             name.parent_path() / "Fr\xC3\xBChjahr \xE2\x80\x93 Angebote.htm");
  QDir::setCurrent(site.path());
  auto messages = std::make_unique<TDialogMessages>();
  TDialogMessages& boxes = *messages;
  SetMessages(std::move(messages));
  TMainWindow window([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_DE.nls");
    language = FindDataFile("Quorvane_de.nls");
    return true;
  });
  boxes.SetParentWindow(&window);
  window.resize(860, 560);
  window.move(40, 40);
  window.Session().LoadFile(name);
  window.show();
  Settle();
  QMenu& file = *window.findChild<QMenu*>("MainmenuFile");
  file.popup(window.mapToGlobal(QPoint(0, 0)) + QPoint(0, window.menuBar()->height()));
  Settle();
  bool ok = SaveScreen(&window, window.frameGeometry().united(file.geometry()),
                       out.filePath("main-window-de.png"));
  file.close();
  ok = SaveModal([&] { window.findChild<QAction*>("MainmenuFileOpen")->trigger(); },
                 out.filePath("open-dialog-de.png")) &&
       ok;
  TSourceEdit& edit = *window.findChild<TSourceEdit*>("Edit");
  edit.SetModified(true);
  ok = SaveModal([&] { window.Session().MayClose(); }, out.filePath("message-box-de.png")) && ok;
  edit.SetModified(false);
  boxes.SetParentWindow(nullptr);
  SetMessages(std::make_unique<TConsoleMessages>());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool german = argc == 4 && std::string(argv[3]) == "de";
  if (argc != 3 && !german) {
    std::fprintf(stderr, "usage: %s DOCUMENT OUTPUT_DIRECTORY [de]\n", argv[0]);
    return 2;
  }
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  if (german) {
    setenv("LANG", "de_DE.UTF-8", 1);  // the dates of the Open dialog too
  }
  QApplication application(argc, argv);
  using namespace quorvane;
  if (german) {
    return GermanShots(argv[1], QDir(QDir(argv[2]).absolutePath()));
  }
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
