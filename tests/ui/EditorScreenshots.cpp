// Takes the documentation's pictures of the main window (with the light and a dark palette),
// the find dialog and the view of a compression's changes:
//   quorvane_editor_screenshots DOCUMENT OUTPUT_DIRECTORY
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <cstdio>
#include <memory>

#include "batch/ProgressModel.h"
#include "platform/System.h"
#include "ui/ChangesDialog.h"
#include "ui/FindReplaceDialog.h"
#include "ui/FormMain.h"
#include "ui/RichEditEx.h"

namespace {

using namespace quorvane;

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

// A dark palette as dark desktop themes give it.
QPalette DarkPalette() {
  QPalette palette;
  const QColor window(45, 45, 48);
  const QColor base(30, 30, 30);
  const QColor text(220, 220, 220);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, window);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, QColor(38, 79, 120));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::ToolTipBase, base);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 110, 110));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 110, 110));
  return palette;
}

std::unique_ptr<TFormMain> OpenWindow(const char* document) {
  auto window = std::make_unique<TFormMain>([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return true;
  });
  window->resize(860, 560);
  window->LoadFile(document);
  window->SetHighlighting(true);
  window->show();
  window->Edit->SetSelection(0, 0);
  window->Edit->moveCursor(QTextCursor::Down);
  window->Edit->moveCursor(QTextCursor::Down);
  window->Edit->moveCursor(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  window->Edit->setFocus();
  Settle();
  return window;
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
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  const QDir out(argv[2]);

  std::unique_ptr<TFormMain> window = OpenWindow(argv[1]);
  bool ok = Save(window.get(), out.filePath("main-window.png"));

  window->Edit->SetSelection(0, 0);
  window->FindDialog()->SetFindText("<td*>");
  window->MainMenuSearchSearch->trigger();
  Settle();
  ok = Save(window->FindDialog(), out.filePath("find-dialog.png")) && ok;
  window->FindDialog()->close();

  // A compression, its summary in the status bar, and what it changed.
  window->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  window->MainmenuFileCompress->trigger();
  window->MainmenuViewChanges->trigger();
  window->ChangesDialog1->resize(760, 420);
  // Where the lines it took out meet the ones it put in.
  auto* view = window->ChangesDialog1->findChild<QPlainTextEdit*>("EditChanges");
  const QTextCursor added = view->document()->find(QRegularExpression("^\\+ "));
  view->setTextCursor(QTextCursor(added.block()));
  view->centerCursor();
  Settle();
  ok = Save(window->ChangesDialog1, out.filePath("changes.png")) && ok;
  window->ChangesDialog1->close();
  window->Edit->SetModified(false);
  window.reset();

  QApplication::setPalette(DarkPalette());
  window = OpenWindow(argv[1]);
  ok = Save(window.get(), out.filePath("main-window-dark.png")) && ok;
  window->Edit->SetModified(false);
  return ok ? 0 : 1;
}
