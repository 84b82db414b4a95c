#include "ui/SettingsDialogCommands.h"

#include <QPointer>
#include <memory>
#include <string>

#include "ui/LanguageDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/TagListDialog.h"

namespace quorvane {
namespace {

// The kept dialogs, shared by the commands' copies.
struct TSettingsDialogs {
  QPointer<TTagListDialog> TagList;
  QPointer<TOptionsDialog> Options;
};

void EditWindowTagList(TSettingsDialogs& dialogs, TMainWindow& window) {
  TEditorSession& session = window.Session();
  if (dialogs.TagList.isNull()) {
    dialogs.TagList = new TTagListDialog(&window);
    QObject::connect(dialogs.TagList, &TTagListDialog::HelpRequested, &window,
                     [&session](int context) { session.DialogHelp(context); });
  }
  EditTagList(*dialogs.TagList, session.Document().TagList);
}

// With the automatic choice the window's user directory is neither shown nor replaced.
void EditWindowOptions(TSettingsDialogs& dialogs, TMainWindow& window) {
  if (dialogs.Options.isNull()) {
    dialogs.Options = new TOptionsDialog(&window);
  }
  TEditorSession& session = window.Session();
  TDocument& document = session.Document();
  TOptionsValues values{document.Waittime, document.HelpDirAuto, document.HelpDir,
                        document.StrictPre};
  if (!EditOptions(*dialogs.Options, values)) {
    return;
  }
  document.HelpDirAuto = values.HelpDirAuto;
  if (!values.HelpDirAuto) {
    session.SetHelpDir(values.HelpDir);
  }
  document.Waittime = values.Waittime;
  document.StrictPre = values.StrictPre;
}

bool ChooseWindowLanguage(TMainWindow& window) {
  TEditorSession& session = window.Session();
  std::string country = session.Settings().CountryFile;
  std::string language = session.Settings().LanguageFile;
  if (!ChooseLanguage(country, language, kLanguagePrefix, &window)) {
    return false;
  }
  session.SetLanguageFiles(country, language);
  return true;
}

}  // namespace

TMainWindow::TExtrasCommands SettingsDialogCommands() {
  auto dialogs = std::make_shared<TSettingsDialogs>();
  TMainWindow::TExtrasCommands commands;
  commands.TagList = [dialogs](TMainWindow& window) { EditWindowTagList(*dialogs, window); };
  commands.Options = [dialogs](TMainWindow& window) { EditWindowOptions(*dialogs, window); };
  commands.Language = ChooseWindowLanguage;
  return commands;
}

}  // namespace quorvane
