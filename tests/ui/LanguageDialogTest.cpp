// The language dialog and its directory chooser, headless, on directories of sample language
// and country files.
#include "ui/LanguageDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/TestSupport.h"
#include "ui/DirectoryDialog.h"

namespace quorvane {
namespace {

using TRun = std::function<int(TLanguageDialog&)>;

class LanguageDialog : public ::testing::Test {
 protected:
  LanguageDialog() {
    dir_.Write("STATE_DE.nls", "COUNTRY=Deutschland\n");
    dir_.Write("STATE_AT.nls", "COUNTRY=\xD6sterreich\n");
    dir_.Write("STATE_GB.nls", "COUNTRY=United Kingdom\n");
    dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\nCOUNTRIES=de,AT\n");
    dir_.Write("Quorvane_en.nls", "LANGUAGE=English\nCOUNTRIES=GB\n");
  }

  static std::vector<std::string> Lines(const TLanguageDialog& dialog) {
    std::vector<std::string> lines;
    for (int row = 0; row < dialog.ListBox1->count(); ++row) {
      lines.push_back(ProgramText(dialog.ListBox1->item(row)->text()));
    }
    return lines;
  }
  // Lets the chooser confirm (or cancel) `dir` and returns the lines offered then.
  static std::vector<std::string> ChangeDir(TLanguageDialog& dialog, const std::string& dir,
                                            int result = QDialog::Accepted) {
    dialog.SetChooserRunner([=](TDirectoryDialog& chooser) {
      chooser.SetDir(dir);
      return result;
    });
    dialog.ButtonChangeClick();
    return Lines(dialog);
  }
  // Runs the language choice on the stored pair with `act` playing the user.
  bool Choose(TRun act) {
    return ChooseLanguage(country_, language_, kLanguagePrefix, nullptr,
                          [act](TLanguageDialog& dialog) {
                            dialog.show();
                            const int result = act(dialog);
                            dialog.hide();
                            return result;
                          });
  }

  test::TTempDir dir_;
  std::string country_ = dir_ / "STATE_AT.nls";
  std::string language_ = dir_ / "Quorvane_de.nls";
};

TEST_F(LanguageDialog, OffersEveryCountryOfEachLanguageSortedAndSelectsTheCurrentPair) {
  EXPECT_FALSE(Choose([](TLanguageDialog& dialog) {
    EXPECT_EQ(Lines(dialog),
              (std::vector<std::string>{"Deutsch (Deutschland)", "Deutsch (\xD6sterreich)",
                                        "English (United Kingdom)"}));
    EXPECT_EQ(dialog.ListBox1->currentRow(), 1);
    EXPECT_TRUE(dialog.ButtonOk->isEnabled());
    dialog.ListBox1->clearSelection();
    EXPECT_FALSE(dialog.ButtonOk->isEnabled());
    dialog.ListBox1->setCurrentRow(1);
    return int(QDialog::Accepted);  // the same pair: nothing changed
  }));
  // Cancel keeps the pair even after another line was clicked.
  EXPECT_FALSE(Choose([](TLanguageDialog& dialog) {
    dialog.ListBox1->setCurrentRow(2);
    return int(QDialog::Rejected);
  }));
  EXPECT_EQ(language_, dir_ / "Quorvane_de.nls");

  // A country code in any case names its file in capitals.
  EXPECT_TRUE(Choose([](TLanguageDialog& dialog) {
    dialog.ListBox1->setCurrentRow(0);
    dialog.ListBox1DblClick();
    return dialog.result();
  }));
  EXPECT_EQ(country_, dir_ / "STATE_DE.nls");
  EXPECT_EQ(language_, dir_ / "Quorvane_de.nls");
}

TEST_F(LanguageDialog, AnotherDirectoryListsItsChoicesAndOneWithoutLanguagesOnlyNone) {
  const test::TTempDir other;
  const test::TTempDir empty;
  other.Write("STATE_FR.nls", "COUNTRY=France\n");
  other.Write("Quorvane_fr.nls", "LANGUAGE=Fran\xE7\x61is\nCOUNTRIES=FR\n");
  EXPECT_TRUE(Choose([&](TLanguageDialog& dialog) {
    // The chooser starts in the dialog's directory and allows only folders with languages.
    dialog.SetChooserRunner([&](TDirectoryDialog& chooser) {
      EXPECT_EQ(chooser.GetDir(), dir_.Path());
      std::string status;
      bool ok = true;
      chooser.OnCheckDir(empty.PathWithoutSlash(), status, ok);
      EXPECT_FALSE(ok);
      return int(QDialog::Rejected);
    });
    dialog.ButtonChangeClick();
    EXPECT_EQ(Lines(dialog).size(), 3u) << "a cancelled change keeps the list";
    EXPECT_EQ(FilePath(dialog.EditDir->text()), dir_.Path());
    // The chosen directory comes without a trailing "/".
    EXPECT_EQ(ChangeDir(dialog, other.PathWithoutSlash()),
              std::vector<std::string>{"Fran\xE7\x61is (France)"});
    dialog.ListBox1->setCurrentRow(0);
    return int(QDialog::Accepted);
  }));
  EXPECT_EQ(language_, other / "Quorvane_fr.nls");
  EXPECT_EQ(country_, other / "STATE_FR.nls");

  EXPECT_TRUE(Choose([&](TLanguageDialog& dialog) {
    EXPECT_EQ(ChangeDir(dialog, "  " + empty.PathWithoutSlash() + " "),
              std::vector<std::string>{TLanguageDialog::kNoneChoice});
    EXPECT_FALSE(dialog.ButtonOk->isEnabled());
    dialog.ListBox1->setCurrentRow(0);
    EXPECT_TRUE(dialog.ButtonOk->isEnabled());
    return int(QDialog::Accepted);
  }));
  EXPECT_EQ(country_ + language_, "");
}

}  // namespace
}  // namespace quorvane
