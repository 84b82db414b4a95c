// Shows each settings dialog and the context-menu dialog with sample contents, and the progress
// window after a real compression, and saves a picture of each:
//   quorvane_dialog_screenshots OUTPUT_DIR   (under a display, e.g. xvfb-run -a)
// Settings are kept in a temporary directory.
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "ScreenshotSupport.h"
#include "batch/Document.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "shell/ContextMenu.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/ContextMenuDialog.h"
#include "ui/ExtensionDialog.h"
#include "ui/LanguageDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/ProgressWindow.h"
#include "ui/TagItemDialog.h"
#include "ui/TagListDialog.h"
#include "ui/TagListView.h"

namespace {

bool Save(QWidget& widget, const QString& path) {
  widget.show();
  widget.raise();
  widget.activateWindow();
  quorvane::screenshot::Settle();
  const bool saved = quorvane::screenshot::Save(widget.grab(), path);
  widget.hide();
  return saved;
}

// A page with the indentation and line breaks that hand-written HTML has.
std::string SamplePage() {
  std::string page = "<!DOCTYPE html>\r\n<html>\r\n  <body>\r\n";
  for (int i = 0; i < 200; ++i) {
    page += "    <div class=\"section\">\r\n      <p>\r\n        Paragraph " + std::to_string(i) +
            " of the introduction.\r\n      </p>\r\n    </div>\r\n";
  }
  return page + "  </body>\r\n</html>\r\n";
}

// The progress window after the compression of a page deep in a site.
bool SaveProgressWindow(const QDir& work, const QString& path) {
  const QString dir = work.filePath("website/manual/chapters");
  QDir().mkpath(dir);
  const std::string file = QDir(dir).filePath("introduction.htm").toStdString();
  std::ofstream(file, std::ios::binary) << SamplePage();
  std::unique_ptr<quorvane::TProgressWindow> window = quorvane::InstallProgressWindow();
  quorvane::TDocument document;
  document.Waittime = 0;
  document.Compress(file, false);
  quorvane::screenshot::Settle();
  return quorvane::screenshot::Save(window->grab(), path);
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir work;
  setenv("XDG_CONFIG_HOME", QDir(work.path()).filePath("config").toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QDir().mkpath(out.path());
  using namespace quorvane;
  const std::string languageFile = FindDataFile("Quorvane_en.nls");
  InitLanguage(FindDataFile("STATE_GB.nls"), languageFile);

  bool ok = true;
  TTagListDialog tagList;
  TTagsCommaList tags = TTagsCommaList::Default();
  tags.Add("XMP", 3);
  tagList.LoadTags(tags);
  tagList.ListViewTags->Row(2)->setSelected(true);
  ok &= Save(tagList, out.filePath("tag-list.png"));

  TTagItemDialog& item = tagList.ItemDialog();
  item.setWindowTitle(UiText(CapText(GetText(textid::kEditTagCaption))));
  item.EditTagname->setText("TITLE");
  item.SetCount(1);
  ok &= Save(item, out.filePath("tag-item.png"));

  TOptionsDialog options;
  options.SetWaittime(1500);
  options.SetHelpDirAuto(false);
  options.SetHelpDir(std::string(ExtractFilePath(languageFile)));
  ok &= Save(options, out.filePath("options.png"));

  TLanguageDialog language;
  language.SetPrefix(kLanguagePrefix);
  language.SetCountryFile(FindDataFile("STATE_GB.nls"));
  language.SetLanguageFile(languageFile);
  ok &= Save(language, out.filePath("language.png"));

  TExtensionDialog chooser;
  TContextMenuDialog contextMenu(chooser);
  contextMenu.SetCaptionText(ContextMenuCaption());
  ok &= Save(contextMenu, out.filePath("context-menu.png"));
  ok &= SaveProgressWindow(QDir(work.path()), out.filePath("progress-window.png"));
  return ok ? 0 : 1;
}
