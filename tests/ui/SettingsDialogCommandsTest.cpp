// The settings dialogs on the main window's own menu commands.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "MainWindowFixture.h"
#include "ui/OptionsDialog.h"
#include "ui/SettingsDialogCommands.h"
#include "ui/TagListDialog.h"

namespace quorvane::test {
namespace {

// Runs `user` once the next modal dialog of type T, a child of `window`, is up.
template <typename T>
void WhenShown(TMainWindow& window, std::function<void(T&)> user) {
  QTimer::singleShot(0, &window, [&window, user] {
    T* dialog = window.findChild<T*>();
    ASSERT_NE(dialog, nullptr);
    user(*dialog);
  });
}

// Each test has a settings store of its own and fake messages, so that nothing one test
// leaves behind reaches the next and no message box ever waits for a click.
class SettingsCommands : public MainWindowTest {
 protected:
  SettingsCommands() { form->SetExtrasCommands(SettingsDialogCommands()); }
};

TEST_F(SettingsCommands, TagListCommandEditsTheWindowsListOnlyOnOk) {
  TDocument& document = Session().Document();
  document.TagList.SetCommaText("A,0,B,1");
  WhenShown<TTagListDialog>(*form, [](TTagListDialog& dialog) {
    dialog.AllSelect(true);
    dialog.ButtonDelete->click();
    dialog.ButtonHelp->click();
    dialog.ButtonCancel->click();
  });
  Action("MainmenuExtrasTaglist")->trigger();
  EXPECT_EQ(document.TagList.CommaText(), "A,0,B,1");
  ASSERT_EQ(openedUrls.size(), 1u);
  EXPECT_EQ(openedUrls[0].fragment(), "tagdefinition");

  WhenShown<TTagListDialog>(*form, [](TTagListDialog& dialog) {
    dialog.ButtonReset->click();
    dialog.ButtonOk->click();
  });
  Action("MainmenuExtrasTaglist")->trigger();
  EXPECT_EQ(document.TagList.CommaText(), kDefaultTagListText) << "the default list, sorted";
}

// OK stores the choice, keeping the user's directory when switched to automatic; Cancel
// stores nothing, whatever was typed.
TEST_F(SettingsCommands, OptionsCommandStoresTheChoiceOnlyOnOk) {
  TTempDir help;
  TDocument& document = Session().Document();
  document.HelpDirAuto = false;
  document.HelpDir = help.Path();
  const bool strict = document.StrictPre;
  WhenShown<TOptionsDialog>(*form, [&](TOptionsDialog& dialog) {
    EXPECT_EQ(dialog.GetHelpDir(), help.Path());
    dialog.RadioButtonHTMLHelpDirAuto->click();
    dialog.SpinEditWaittime->setValue(2500);
    dialog.CheckBoxProtectCodeElements->click();
    dialog.ButtonOk->click();
  });
  Action("MainmenuExtrasOptions")->trigger();
  EXPECT_TRUE(document.HelpDirAuto);
  EXPECT_EQ(document.HelpDir, help.Path());
  EXPECT_EQ(document.Waittime, 2500);
  EXPECT_NE(document.StrictPre, strict);

  // Opening on the automatic choice neither focuses nor switches to the directory field.
  WhenShown<TOptionsDialog>(*form, [&](TOptionsDialog& dialog) {
    QApplication::processEvents();
    EXPECT_TRUE(dialog.GetHelpDirAuto());
    EXPECT_NE(QApplication::focusWidget(), dialog.EditHTMLHelpDir);
    dialog.SpinEditWaittime->setValue(100);
    dialog.RadioButtonHTMLHelpDirUser->click();
    dialog.ButtonCancel->click();
  });
  Action("MainmenuExtrasOptions")->trigger();
  EXPECT_TRUE(document.HelpDirAuto);
  EXPECT_EQ(document.Waittime, 2500);
}

}  // namespace
}  // namespace quorvane::test
