// Takes the documentation's pictures of the main window (with the light and a dark palette),
// the find dialog and the view of a compression's changes, or with "de" those of a German
// session (the main window with its file menu, the Open dialog, a message box):
//   quorvane_editor_screenshots DOCUMENT OUTPUT_DIRECTORY [de]
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "ScreenshotSupport.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "platform/ProgramFiles.h"
#include "ui/ChangesDialog.h"
#include "ui/DialogMessages.h"
#include "ui/FindReplaceDialog.h"
#include "ui/MainWindow.h"
#include "ui/SourceEdit.h"

namespace {

using namespace quorvane;
using screenshot::Settle;

bool Save(QWidget* widget, const QString& path) {
  return screenshot::Save(widget->grab(), path);
}

// A dark palette as dark desktop themes give it: light text on dark grey.
QPalette DarkPalette() {
  QPalette palette(QColor(45, 45, 48));
  palette.setColor(QPalette::Base, QColor(30, 30, 30));
  palette.setColor(QPalette::Highlight, QColor(38, 79, 120));
  return palette;
}

// The main window on `document`, with the texts of the given country and language files.
std::unique_ptr<TMainWindow> ShowWindow(const std::string& document, const char* countryFile,
                                        const char* languageFile) {
  auto window = std::make_unique<TMainWindow>([=](std::string& country, std::string& language) {
    country = FindDataFile(countryFile);
    language = FindDataFile(languageFile);
    return true;
  });
  window->resize(860, 560);
  window->move(40, 40);
  window->Session().LoadFile(document);
  window->show();
  return window;
}

// The English window with a line of the document selected.
std::unique_ptr<TMainWindow> OpenWindow(const char* document) {
  auto window = ShowWindow(document, "STATE_GB.nls", "Quorvane_en.nls");
  TSourceEdit& edit = *window->findChild<TSourceEdit*>("Edit");
  edit.SetSelection(0, 0);
  edit.moveCursor(QTextCursor::Down);
  edit.moveCursor(QTextCursor::Down);
  edit.moveCursor(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  edit.setFocus();
  Settle();
  return window;
}

void Trigger(QWidget& window, const char* action) {
  window.findChild<QAction*>(action)->trigger();
}

// The screen where `widget` and the popups over it are, with a margin.
bool SaveScreen(QWidget* widget, const QRect& area, const QString& path) {
  const QRect shown = area.adjusted(-8, -8, 8, 8);
  return screenshot::Save(
      widget->screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()), path);
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
  const std::unique_ptr<TMainWindow> shown = ShowWindow(name, "STATE_DE.nls", "Quorvane_de.nls");
  TMainWindow& window = *shown;
  boxes.SetParentWindow(&window);
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
  if (german) {
    return GermanShots(argv[1], QDir(QDir(argv[2]).absolutePath()));
  }
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  const QDir out(argv[2]);

  std::unique_ptr<TMainWindow> window = OpenWindow(argv[1]);
  bool ok = Save(window.get(), out.filePath("main-window.png"));

  TSourceEdit* edit = window->findChild<TSourceEdit*>("Edit");
  auto* find = window->findChild<TFindReplaceDialog*>("FindDialog1");
  edit->SetSelection(0, 0);
  find->SetFindText("<td*>");
  Trigger(*window, "MainMenuSearchSearch");
  Settle();
  ok = Save(find, out.filePath("find-dialog.png")) && ok;
  find->close();

  // A compression, its summary in the status bar, and what it changed.
  window->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  Trigger(*window, "MainmenuFileCompress");
  Trigger(*window, "MainmenuViewChanges");
  auto* changes = window->findChild<TChangesDialog*>();
  changes->resize(760, 420);
  // Where the lines it took out meet the ones it put in.
  auto* view = changes->findChild<QPlainTextEdit*>("EditChanges");
  const QTextCursor added = view->document()->find(QRegularExpression("^\\+ "));
  view->setTextCursor(QTextCursor(added.block()));
  view->centerCursor();
  Settle();
  ok = Save(changes, out.filePath("changes.png")) && ok;
  changes->close();
  edit->SetModified(false);
  window.reset();

  QApplication::setPalette(DarkPalette());
  window = OpenWindow(argv[1]);
  ok = Save(window.get(), out.filePath("main-window-dark.png")) && ok;
  window->findChild<TSourceEdit*>("Edit")->SetModified(false);
  return ok ? 0 : 1;
}
