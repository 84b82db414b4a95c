#include "ui/SettingsDialogCommands.h"

#include <QPointer>
#include <memory>
#include <string>

#include "ui/DLGLanguage.h"
#include "ui/FormOptions.h"
#include "ui/Formtaglist.h"

namespace quorvane {
namespace {

// The kept dialogs, shared by the commands' copies.
struct TSettingsDialogs {
  QPointer<TFormtaglist> TagList;
  QPointer<TFormOptions> Options;
};

void EditWindowTagList(TSettingsDialogs& dialogs, TFormMain& window) {
  if (dialogs.TagList.isNull()) {
    dialogs.TagList = new TFormtaglist(&window);
    QObject::connect(dialogs.TagList, &TFormtaglist::HelpRequested, &window,
                     &TFormMain::DialogHelpClick);
  }
  EditTagList(*dialogs.TagList, window.Document().TagList);
}

// With the automatic choice the window's user directory is neither shown nor replaced.
void EditWindowOptions(TSettingsDialogs& dialogs, TFormMain& window) {
  if (dialogs.Options.isNull()) {
    dialogs.Options = new TFormOptions(&window);
  }
  TDocument& document = window.Document();
  TOptionsValues values{document.Waittime, document.HelpDirAuto, document.HelpDir,
                        document.StrictPre};
  if (!EditOptions(*dialogs.Options, values)) {
    return;
  }
  document.HelpDirAuto = values.HelpDirAuto;
  if (!values.HelpDirAuto) {
    window.SetHelpDir(values.HelpDir);
  }
  document.Waittime = values.Waittime;
  document.StrictPre = values.StrictPre;
}

bool ChooseWindowLanguage(TFormMain& window) {
  std::string country = window.WindowSettings().CountryFile;
  std::string language = window.WindowSettings().LanguageFile;
  if (!ChooseLanguage(country, language, kLanguagePrefix, &window)) {
    return false;
  }
  window.SetLanguageFiles(country, language);
  return true;
}

}  // namespace

TFormMain::TExtrasCommands SettingsDialogCommands() {
  auto dialogs = std::make_shared<TSettingsDialogs>();
  TFormMain::TExtrasCommands commands;
  commands.TagList = [dialogs](TFormMain& window) { EditWindowTagList(*dialogs, window); };
  commands.Options = [dialogs](TFormMain& window) { EditWindowOptions(*dialogs, window); };
  commands.Language = ChooseWindowLanguage;
  return commands;
}

}  // namespace quorvane
