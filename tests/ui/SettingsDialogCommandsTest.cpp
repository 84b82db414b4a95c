// The settings dialogs on the main window's own menu commands.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

#include "DialogsTestSupport.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "ui/FormOptions.h"
#include "ui/Formtaglist.h"
#include "ui/SettingsDialogCommands.h"

namespace quorvane {
namespace {

bool ChooseEnglish(std::string& country, std::string& language) {
  country = FindDataFile("STATE_GB.nls");
  language = FindDataFile("Quorvane_en.nls");
  return true;
}

// Runs `user` once the next modal dialog of type T, a child of `window`, is up.
template <typename T>
void WhenShown(TFormMain& window, std::function<void(T&)> user) {
  QTimer::singleShot(0, &window, [&window, user] {
    T* dialog = window.findChild<T*>();
    ASSERT_NE(dialog, nullptr);
    user(*dialog);
  });
}

class SettingsCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TFormMain>(ChooseEnglish);
    window_->SetExtrasCommands(SettingsDialogCommands());
    window_->SetUrlOpener([this](const QUrl& url) {
      urls_.push_back(url.toString().toStdString());
      return true;
    });
  }

  test::TMessagesScope messages_;
  std::unique_ptr<TFormMain> window_;
  std::vector<std::string> urls_;
};

TEST_F(SettingsCommands, TagListCommandEditsTheWindowsListOnlyOnOk) {
  TDocument& document = window_->Document();
  document.TagList.SetCommaText("A,0,B,1");
  WhenShown<TFormtaglist>(*window_, [](TFormtaglist& dialog) {
    dialog.AllSelect(true);
    dialog.ButtonDelete->click();
    dialog.ButtonHelp->click();
    dialog.ButtonCancel->click();
  });
  window_->MainmenuExtrasTaglist->trigger();
  EXPECT_EQ(document.TagList.CommaText(), "A,0,B,1");
  ASSERT_EQ(urls_.size(), 1u);
  EXPECT_NE(urls_[0].find("#tagdefinition"), std::string::npos) << urls_[0];

  WhenShown<TFormtaglist>(*window_, [](TFormtaglist& dialog) {
    dialog.ButtonReset->click();
    dialog.ButtonOk->click();
  });
  window_->MainmenuExtrasTaglist->trigger();
  EXPECT_TRUE(document.TagList.Equals(TTagsCommaList::Default()));
}

TEST_F(SettingsCommands, OptionsCommandKeepsTheUserDirectoryWhenSwitchedToAutomatic) {
  test::TScratchDir help;
  TDocument& document = window_->Document();
  document.HelpDirAuto = false;
  document.HelpDir = help.Path().string() + "/";
  WhenShown<TFormOptions>(*window_, [&](TFormOptions& dialog) {
    EXPECT_EQ(dialog.GetHelpDir(), help.Path().string() + "/");
    dialog.RadioButtonHTMLHelpDirAuto->click();
    dialog.SpinEditWaittime->setValue(0);
    dialog.ButtonOk->click();
  });
  window_->MainmenuExtrasOptions->trigger();
  EXPECT_TRUE(document.HelpDirAuto);
  EXPECT_EQ(document.HelpDir, help.Path().string() + "/");
  EXPECT_EQ(document.Waittime, 0);

  WhenShown<TFormOptions>(*window_, [&](TFormOptions& dialog) {
    dialog.RadioButtonHTMLHelpDirUser->click();
    dialog.SetHelpDir(help.Path().string());
    dialog.ButtonOk->click();
  });
  window_->MainmenuExtrasOptions->trigger();
  EXPECT_FALSE(document.HelpDirAuto);
  EXPECT_EQ(document.HelpDir, help.Path().string() + "/");
}

}  // namespace
}  // namespace quorvane
