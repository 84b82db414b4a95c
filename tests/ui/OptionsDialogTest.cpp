// The options dialog, the directory chooser and the folder browser, headless. The folder
// browser is built for real but not shown: a test runner plays the user. Storing what the
// options dialog chose is the settings commands' test.
#include "ui/OptionsDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "batch/UiText.h"
#include "platform/TestSupport.h"
#include "support/Win1252.h"
#include "ui/DirectoryDialog.h"
#include "ui/FolderBrowser.h"

namespace quorvane {
namespace {

// A folder browser session: the browser starts, the user moves to `Visit`, and confirms
// `Result` (or cancels with ""); what the browser showed is kept.
struct TBrowseSession {
  std::string Visit;
  std::string Result;
  std::string StartDirectory;
  bool OkOnVisit = false;
  QString StatusOnVisit;

  TFolderBrowserRunner Runner() {
    return [this](const std::string& title, const std::string&, uint32_t flags,
                  TBrowseCallback callback) {
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

// Typed or browsed, the user's help directory allows OK only when it exists.
TEST(OptionsDialog, UserDirectoryAllowsOkOnlyWhenItExists) {
  const test::TTempDir dir;
  TOptionsDialog form;
  EXPECT_TRUE(form.GetHelpDirAuto());
  form.RadioButtonHTMLHelpDirUser->click();
  EXPECT_FALSE(form.ButtonOk->isEnabled());
  const std::pair<std::string, bool> dirs[] = {
      {dir / "missing", false}, {dir.Write("file.htm", "<p>"), false}, {dir.Path(), true}};
  for (const auto& [path, ok] : dirs) {
    form.SetHelpDir(path);
    EXPECT_EQ(form.ButtonOk->isEnabled(), ok) << path;
  }
  form.SetHelpDir("");
  form.RadioButtonHTMLHelpDirAuto->click();
  EXPECT_TRUE(form.ButtonOk->isEnabled());

  // The browser starts at the field's directory; a cancelled browse leaves the field.
  const std::string help = dir / "help";
  std::filesystem::create_directories(help);
  TBrowseSession browse;
  browse.Visit = dir / "nowhere";
  form.SetHelpDirAuto(false);
  form.SetHelpDir(help + "/");
  form.SetFolderBrowser(browse.Runner());
  form.ButtonBrowseClick();
  EXPECT_EQ(browse.StartDirectory, help);
  EXPECT_FALSE(browse.OkOnVisit);
  EXPECT_EQ(form.GetHelpDir(), help + "/");

  form.SetHelpDirAuto(true);
  browse.Visit = browse.Result = dir.PathWithoutSlash();
  form.ButtonBrowseClick();
  EXPECT_TRUE(browse.OkOnVisit);
  EXPECT_FALSE(form.GetHelpDirAuto());
  EXPECT_EQ(form.GetHelpDir(), dir.PathWithoutSlash());
  EXPECT_TRUE(form.ButtonOk->isEnabled());
}

// The browser shows the check's status and allows OK as the check says. (The field's trimming is
// the language dialog's test.)
TEST(DirectoryDialog, BrowsesWithTheCallersCheck) {
  TDirectoryDialog chooser;
  const test::TTempDir dir;
  TBrowseSession browse;
  browse.Visit = dir.PathWithoutSlash();
  browse.Result = dir / "good";
  chooser.SetFolderBrowser(browse.Runner());
  chooser.SetDir(dir.Path());
  chooser.StatusText = "Nothing yet";
  chooser.OnCheckDir = [](const std::string& path, std::string& status, bool& ok) {
    ok = path.ends_with("/good");
    status = ok ? "Fine" : "Not here";
  };
  chooser.ButtonBrowseClick();
  EXPECT_EQ(browse.StartDirectory, dir.PathWithoutSlash());
  EXPECT_FALSE(browse.OkOnVisit);
  EXPECT_EQ(browse.StatusOnVisit, "Not here");
  EXPECT_EQ(chooser.GetDir(), dir / "good");
}

}  // namespace
}  // namespace quorvane
