// The options dialog, the directory chooser and the folder browser, headless. The folder
// browser is built for real but not shown: a test runner plays the user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>

#include "FakeMessages.h"
#include "batch/UiText.h"
#include "platform/TestSupport.h"
#include "support/Win1252.h"
#include "ui/DirectoryDialog.h"
#include "ui/FolderBrowser.h"
#include "ui/OptionsDialog.h"

namespace quorvane {
namespace {

// A folder browser session: the browser starts, the user moves to `visit`, and confirms
// `result` (or cancels with "").
struct TBrowseSession {
  std::string Visit;
  std::string Result;
  // What the browser looked like.
  std::string Title;
  uint32_t Flags = 0;
  std::string StartDirectory;
  bool OkOnVisit = false;
  QString StatusOnVisit;

  TFolderBrowserRunner Runner() {
    return [this](const std::string& title, const std::string&, uint32_t flags,
                  TBrowseCallback callback) {
      Title = title;
      Flags = flags;
      TFolderBrowser browser(nullptr, title, flags, std::move(callback));
      browser.Initialize();
      StartDirectory = FilePath(browser.directory().absolutePath());
      emit browser.currentChanged(PathText(Visit));
      OkOnVisit = browser.OkEnabled();
      StatusOnVisit = browser.StatusLineText();
      return Result;
    };
  }
};

class OptionsDialog : public ::testing::Test {
 protected:
  test::TTempDir dir_;
  TOptionsDialog form_;
  TBrowseSession browse_;
};

TEST_F(OptionsDialog, UserDirectoryAllowsOkOnlyWhenItExists) {
  EXPECT_TRUE(form_.GetHelpDirAuto());
  EXPECT_TRUE(form_.ButtonOk->isEnabled());

  // Tabbing into the field only walks through the dialog; clicking into it switches to the
  // user's directory.
  for (const Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason}) {
    QFocusEvent tabbedIn(QEvent::FocusIn, reason);
    QApplication::sendEvent(form_.EditHTMLHelpDir, &tabbedIn);
    EXPECT_TRUE(form_.GetHelpDirAuto());
  }
  QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(form_.EditHTMLHelpDir, &focusIn);
  EXPECT_TRUE(form_.RadioButtonHTMLHelpDirUser->isChecked());
  EXPECT_FALSE(form_.GetHelpDirAuto());
  EXPECT_FALSE(form_.ButtonOk->isEnabled());

  const std::pair<std::string, bool> dirs[] = {{dir_ / "missing", false},
                                               {dir_.Write("file.htm", "<p>"), false},
                                               {dir_.Path(), true},
                                               {"", false}};
  for (const auto& [path, ok] : dirs) {
    form_.SetHelpDir(path);
    EXPECT_EQ(form_.ButtonOk->isEnabled(), ok) << path;
  }

  form_.RadioButtonHTMLHelpDirAuto->click();
  EXPECT_TRUE(form_.ButtonOk->isEnabled());
  EXPECT_FALSE(form_.RadioButtonHTMLHelpDirUser->isChecked());
}

TEST_F(OptionsDialog, OkTakesTheChoiceAndKeepsTheFormerDirectoryWhenAutomatic) {
  TOptionsValues values{0, false, dir_.Path()};
  QTimer::singleShot(0, &form_, [&] {
    EXPECT_FALSE(form_.GetHelpDirAuto());
    EXPECT_EQ(form_.GetHelpDir(), values.HelpDir);
    EXPECT_EQ(form_.GetWaittime(), 0);
    EXPECT_TRUE(form_.CheckBoxProtectCodeElements->isChecked());
    form_.RadioButtonHTMLHelpDirAuto->click();
    form_.SpinEditWaittime->setValue(2500);
    form_.CheckBoxProtectCodeElements->click();
    form_.ButtonOk->click();
  });
  ASSERT_TRUE(EditOptions(form_, values));
  EXPECT_TRUE(values.StrictPre);
  EXPECT_TRUE(values.HelpDirAuto);
  EXPECT_EQ(values.HelpDir, dir_.Path());
  EXPECT_EQ(values.Waittime, 2500);

  // Cancel changes nothing, whatever was typed.
  QTimer::singleShot(0, &form_, [&] {
    form_.SpinEditWaittime->setValue(100);
    form_.RadioButtonHTMLHelpDirUser->click();
    form_.ButtonCancel->click();
  });
  EXPECT_FALSE(EditOptions(form_, values));
  EXPECT_TRUE(values.HelpDirAuto);
  EXPECT_EQ(values.Waittime, 2500);

  // Opening on the automatic choice neither focuses nor switches to the directory field.
  QTimer::singleShot(0, &form_, [&] {
    QApplication::processEvents();
    EXPECT_TRUE(form_.GetHelpDirAuto());
    EXPECT_NE(QApplication::focusWidget(), form_.EditHTMLHelpDir);
    form_.ButtonOk->click();
  });
  EXPECT_TRUE(EditOptions(form_, values));
  EXPECT_TRUE(values.HelpDirAuto);

  form_.SetWaittime(-5);
  EXPECT_EQ(form_.GetWaittime(), 0);
  form_.SetWaittime(2147483647);
  EXPECT_EQ(form_.GetWaittime(), 2147483647);
}

TEST_F(OptionsDialog, BrowseStartsAtTheFieldAndAllowsOkOnExistingDirectories) {
  const std::filesystem::path help = dir_ / "help";
  std::filesystem::create_directories(help);
  form_.SetHelpDirAuto(false);
  form_.SetHelpDir(help.string() + "/");
  form_.SetFolderBrowser(browse_.Runner());

  browse_.Visit = (dir_ / "nowhere");
  form_.ButtonBrowseClick();
  EXPECT_EQ(browse_.StartDirectory, help.string());
  EXPECT_FALSE(browse_.OkOnVisit);
  EXPECT_EQ(form_.GetHelpDir(), help.string() + "/");  // cancelled: the field stays

  form_.SetHelpDirAuto(true);
  browse_.Visit = dir_.PathWithoutSlash();
  browse_.Result = dir_.PathWithoutSlash();
  form_.ButtonBrowseClick();
  EXPECT_TRUE(browse_.OkOnVisit);
  EXPECT_FALSE(form_.GetHelpDirAuto());
  EXPECT_EQ(form_.GetHelpDir(), dir_.PathWithoutSlash());
  EXPECT_TRUE(form_.ButtonOk->isEnabled());
}

TEST(ChooseDir, OkFollowsTheFieldAndGetDirTrimsBlanks) {
  TDirectoryDialog chooser;
  EXPECT_FALSE(chooser.ButtonOK->isEnabled());
  EXPECT_TRUE(chooser.StatusOk);
  chooser.SetDir("   ");
  EXPECT_TRUE(chooser.ButtonOK->isEnabled());
  EXPECT_EQ(chooser.GetDir(), "");
  chooser.EditDir->setText(" \t/tmp/x \n");
  EXPECT_EQ(chooser.GetDir(), "/tmp/x");
  chooser.SetDir("");
  EXPECT_FALSE(chooser.ButtonOK->isEnabled());
}

TEST(ChooseDir, BrowsingShowsTheCheckedStatusAndAllowsOkAsTheCheckSays) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir / "good");
  TDirectoryDialog chooser;
  TBrowseSession browse;
  chooser.SetFolderBrowser(browse.Runner());
  chooser.BrowseTitle = "Pick one";
  chooser.SetDir(dir.Path());
  std::vector<std::string> checked;
  chooser.OnCheckDir = [&](const std::string& path, std::string& status, bool& ok) {
    checked.push_back(path);
    ok = path.size() > 5 && path.substr(path.size() - 5) == "/good";
    status = ok ? "Fine" : "Not here";
  };

  // Without a status text the browser has no status line.
  browse.Visit = (dir / "good");
  chooser.ButtonBrowseClick();
  EXPECT_EQ(browse.Flags, BIF_RETURNONLYFSDIRS);
  EXPECT_EQ(browse.Title, "Pick one");
  EXPECT_EQ(browse.StartDirectory, dir.PathWithoutSlash());
  EXPECT_TRUE(browse.OkOnVisit);
  EXPECT_EQ(chooser.StatusText, "Fine");

  chooser.StatusText = "Nothing yet";
  browse.Visit = dir.PathWithoutSlash();
  browse.Result = (dir / "good");
  chooser.ButtonBrowseClick();
  EXPECT_EQ(browse.Flags, BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
  EXPECT_FALSE(browse.OkOnVisit);
  EXPECT_EQ(browse.StatusOnVisit, "Not here");
  EXPECT_FALSE(chooser.StatusOk);
  EXPECT_EQ(chooser.GetDir(), (dir / "good"));
  EXPECT_FALSE(checked.empty());
}

TEST(FolderBrowser, RefusesOkWhereTheCallerDisabledIt) {
  test::TTempDir dir;
  TFolderBrowser browser(nullptr, "Title", BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT,
                         [&](TFolderBrowser& self, TBrowseEvent event, const std::string&) {
                           if (event == TBrowseEvent::Initialized) {
                             self.SetSelection(dir.PathWithoutSlash());
                           }
                         });
  browser.Initialize();
  EXPECT_EQ(FilePath(browser.directory().absolutePath()), dir.PathWithoutSlash());
  browser.SetStatusText("Languages: Deutsch");
  EXPECT_EQ(browser.StatusLineText(), "Languages: Deutsch");
  browser.EnableOk(false);
  browser.accept();
  EXPECT_EQ(browser.result(), QDialog::Rejected);
  browser.EnableOk(true);
  browser.accept();
  EXPECT_EQ(browser.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace quorvane
