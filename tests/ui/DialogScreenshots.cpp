// Shows each settings dialog and the context-menu dialog with sample contents and saves a picture
// of it:
//   quorvane_dialog_screenshots OUTPUT_DIR   (under a display, e.g. xvfb-run -a)
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>

#include "ScreenshotSupport.h"
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

}  // namespace

int main(int argc, char** argv) {
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
  return ok ? 0 : 1;
}
