// Takes the documentation's pictures: the main window (with the light and a dark palette), the
// find dialog, the view of a compression's changes, each settings dialog, the context-menu
// dialog and the progress window after a real compression; or with "de" those of a German
// session (the main window with its file menu, the Open dialog, a message box):
//   quorvane_screenshots DOCUMENT OUTPUT_DIRECTORY [de]
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
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
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "batch/Document.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "shell/ContextMenu.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/ChangesDialog.h"
#include "ui/ContextMenuDialog.h"
#include "ui/DialogMessages.h"
#include "ui/ExtensionDialog.h"
#include "ui/FindReplaceDialog.h"
#include "ui/LanguageDialog.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/ProgressWindow.h"
#include "ui/SourceEdit.h"
#include "ui/TagItemDialog.h"
#include "ui/TagListDialog.h"
#include "ui/TagListView.h"

namespace {

using namespace quorvane;

// Lets the windows lay themselves out and paint, popups and fonts included.
void Settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

// Saves `picture` as a PNG file and says so.
bool Save(const QPixmap& picture, const QString& path) {
  const bool saved = picture.save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

// Shows `widget` on its own for its picture, then hides it again.
bool SaveShown(QWidget& widget, const QString& path) {
  widget.show();
  widget.raise();
  widget.activateWindow();
  Settle();
  const bool saved = Save(widget.grab(), path);
  widget.hide();
  return saved;
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
  return Save(widget->screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()),
              path);
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
bool GermanShots(const char* document, const QDir& out) {
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
  return ok;
}

// The main window, the find dialog and a compression's changes, with the light and a dark palette.
bool EditorShots(const char* document, const QDir& out) {
  std::unique_ptr<TMainWindow> window = OpenWindow(document);
  bool ok = Save(window->grab(), out.filePath("main-window.png"));

  TSourceEdit* edit = window->findChild<TSourceEdit*>("Edit");
  auto* find = window->findChild<TFindReplaceDialog*>("FindDialog1");
  edit->SetSelection(0, 0);
  find->SetFindText("<td*>");
  Trigger(*window, "MainMenuSearchSearch");
  Settle();
  ok = Save(find->grab(), out.filePath("find-dialog.png")) && ok;
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
  ok = Save(changes->grab(), out.filePath("changes.png")) && ok;
  changes->close();
  edit->SetModified(false);
  window.reset();

  const QPalette light = QApplication::palette();
  QApplication::setPalette(DarkPalette());
  window = OpenWindow(document);
  ok = Save(window->grab(), out.filePath("main-window-dark.png")) && ok;
  window->findChild<TSourceEdit*>("Edit")->SetModified(false);
  QApplication::setPalette(light);
  return ok;
}

// Each settings dialog and the context-menu dialog with sample contents.
bool DialogShots(const QDir& out) {
  const std::string languageFile = FindDataFile("Quorvane_en.nls");
  InitLanguage(FindDataFile("STATE_GB.nls"), languageFile);
  TTagListDialog tagList;
  TTagsCommaList tags = TTagsCommaList::Default();
  tags.Add("XMP", 3);
  tagList.LoadTags(tags);
  tagList.ListViewTags->Row(2)->setSelected(true);
  bool ok = SaveShown(tagList, out.filePath("tag-list.png"));

  TTagItemDialog& item = tagList.ItemDialog();
  item.setWindowTitle(UiText(CapText(GetText(textid::kEditTagCaption))));
  item.EditTagname->setText("TITLE");
  item.SetCount(1);
  ok = SaveShown(item, out.filePath("tag-item.png")) && ok;

  TOptionsDialog options;
  options.SetWaittime(1500);
  options.SetHelpDirAuto(false);
  options.SetHelpDir(std::string(ExtractFilePath(languageFile)));
  ok = SaveShown(options, out.filePath("options.png")) && ok;

  TLanguageDialog language;
  language.SetPrefix(kLanguagePrefix);
  language.SetCountryFile(FindDataFile("STATE_GB.nls"));
  language.SetLanguageFile(languageFile);
  ok = SaveShown(language, out.filePath("language.png")) && ok;

  TExtensionDialog chooser;
  TContextMenuDialog contextMenu(chooser);
  contextMenu.SetCaptionText(ContextMenuCaption());
  return SaveShown(contextMenu, out.filePath("context-menu.png")) && ok;
}

// The progress window after the compression of a page with the indentation and line breaks
// that hand-written HTML has, deep in a site.
bool ProgressShot(const QDir& work, const QString& path) {
  std::string page = "<!DOCTYPE html>\r\n<html>\r\n  <body>\r\n";
  for (int i = 0; i < 200; ++i) {
    page += "    <div class=\"section\">\r\n      <p>\r\n        Paragraph " + std::to_string(i) +
            " of the introduction.\r\n      </p>\r\n    </div>\r\n";
  }
  const QString dir = work.filePath("website/manual/chapters");
  QDir().mkpath(dir);
  const std::string file = QDir(dir).filePath("introduction.htm").toStdString();
  std::ofstream(file, std::ios::binary) << page << "  </body>\r\n</html>\r\n";
  std::unique_ptr<TProgressWindow> window = InstallProgressWindow();
  TDocument document;
  document.Waittime = 0;
  document.Compress(file, false);
  Settle();
  return Save(window->grab(), path);
}

}  // namespace

int main(int argc, char** argv) {
  const bool german = argc == 4 && std::string(argv[3]) == "de";
  if (argc != 3 && !german) {
    std::fprintf(stderr, "usage: %s DOCUMENT OUTPUT_DIRECTORY [de]\n", argv[0]);
    return 2;
  }
  QTemporaryDir work;
  setenv("XDG_CONFIG_HOME", QDir(work.path()).filePath("config").toLocal8Bit().constData(), 1);
  if (german) {
    setenv("LANG", "de_DE.UTF-8", 1);  // the dates of the Open dialog too
  }
  QApplication application(argc, argv);
  const QDir out(QDir(argv[2]).absolutePath());
  QDir().mkpath(out.path());
  if (german) {
    return GermanShots(argv[1], out) ? 0 : 1;
  }
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  bool ok = EditorShots(argv[1], out);
  ok = DialogShots(out) && ok;
  ok = ProgressShot(QDir(work.path()), out.filePath("progress-window.png")) && ok;
  return ok ? 0 : 1;
}
