// The language dialog, its directory chooser and the two roads that use it, headless, on
// directories of sample language and country files.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "FakeMessages.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/DirectoryDialog.h"
#include "ui/LanguageDialog.h"

namespace quorvane {
namespace {

class LanguageDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("STATE_DE.nls", "COUNTRY=Deutschland\n");
    dir_.Write("STATE_AT.nls", "COUNTRY=\xD6sterreich\n");
    dir_.Write("STATE_GB.nls", "COUNTRY=United Kingdom\n");
    german_ = dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\nCOUNTRIES=DE,AT\n");
    english_ = dir_.Write("Quorvane_en.nls", "LANGUAGE=English\nCOUNTRIES=GB\n");
  }

  std::string Dir() const { return dir_.Path(); }

  static std::vector<std::string> Lines(const TLanguageDialog& dialog) {
    std::vector<std::string> lines;
    for (int row = 0; row < dialog.ListBox1->count(); ++row) {
      lines.push_back(ProgramText(dialog.ListBox1->item(row)->text()));
    }
    return lines;
  }

  static QListWidgetItem* Line(const TLanguageDialog& dialog, const std::string& text) {
    const QList<QListWidgetItem*> found =
        dialog.ListBox1->findItems(UiText(text), Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
  }

  // Shows the dialog, lets `act` play the user and returns the dialog's result.
  static std::function<int(TLanguageDialog&)> Session(std::function<int(TLanguageDialog&)> act) {
    return [act](TLanguageDialog& dialog) {
      dialog.show();
      const int result = act(dialog);
      dialog.hide();
      return result;
    };
  }

  test::TTempDir dir_;
  test::TMessagesScope messages_;
  std::string german_;
  std::string english_;
};

TEST_F(LanguageDialog, OffersEveryCountryOfEachLanguageSortedAndSelectsTheCurrentPair) {
  TLanguageDialog dialog;
  dialog.SetCountryFile(Dir() + "STATE_AT.nls");
  dialog.SetLanguageFile(german_);
  dialog.SetPrefix(kLanguagePrefix);
  dialog.show();
  EXPECT_EQ(Lines(dialog),
            (std::vector<std::string>{"Deutsch (Deutschland)", "Deutsch (\xD6sterreich)",
                                      "English (United Kingdom)"}));
  ASSERT_NE(dialog.ListBox1->currentItem(), nullptr);
  EXPECT_EQ(ProgramText(dialog.ListBox1->currentItem()->text()), "Deutsch (\xD6sterreich)");
  EXPECT_TRUE(dialog.ButtonOk->isEnabled());
  EXPECT_EQ(FilePath(dialog.EditDir->text()), Dir());

  // Another line chooses its files; no line leaves nothing to confirm.
  dialog.ListBox1->setCurrentItem(Line(dialog, "English (United Kingdom)"));
  EXPECT_EQ(dialog.CountryFileName(), "STATE_GB.nls");
  EXPECT_EQ(dialog.LanguageFileName(), "Quorvane_en.nls");
  dialog.ListBox1->clearSelection();
  EXPECT_FALSE(dialog.ButtonOk->isEnabled());
}

TEST_F(LanguageDialog, ChoosingAnotherPairStoresItAndTheSameOneChangesNothing) {
  std::string country = Dir() + "STATE_DE.nls";
  std::string language = german_;
  const auto choose = [](const std::string& line) {
    return Session([line](TLanguageDialog& dialog) {
      dialog.ListBox1->setCurrentItem(Line(dialog, line));
      dialog.ListBox1DblClick();
      return dialog.result();
    });
  };
  EXPECT_FALSE(
      ChooseLanguage(country, language, kLanguagePrefix, nullptr, choose("Deutsch (Deutschland)")));
  EXPECT_EQ(country, Dir() + "STATE_DE.nls");

  EXPECT_TRUE(ViewLanguageCommand(country, language, nullptr, choose("English (United Kingdom)")));
  EXPECT_EQ(country, Dir() + "STATE_GB.nls");
  EXPECT_EQ(language, english_);
  ASSERT_EQ(messages_->Informations.size(), 1u);
  EXPECT_EQ(messages_->Informations[0], CapText(GetText(textid::kLanguageChanged), "."));

  // Cancel keeps the pair even after another line was clicked; no notice.
  EXPECT_FALSE(ViewLanguageCommand(country, language, nullptr, Session([](TLanguageDialog& dialog) {
                                     dialog.ListBox1->setCurrentRow(0);
                                     return int(QDialog::Rejected);
                                   })));
  EXPECT_EQ(language, english_);
  EXPECT_EQ(messages_->Informations.size(), 1u);
}

TEST_F(LanguageDialog, ADirectoryWithoutLanguagesOffersOnlyNoneWhichChoosesNoFiles) {
  test::TTempDir empty;
  std::string country = Dir() + "STATE_GB.nls";
  std::string language = english_;
  std::vector<std::string> lines;
  const bool changed = ChooseLanguage(
      country, language, kLanguagePrefix, nullptr, Session([&](TLanguageDialog& dialog) {
        dialog.SetChooserRunner([&](TDirectoryDialog& chooser) {
          // The chooser starts in the dialog's directory and checks folders with the summary.
          EXPECT_EQ(chooser.GetDir(), Dir());
          std::string status;
          bool ok = true;
          chooser.OnCheckDir(Dir(), status, ok);
          EXPECT_TRUE(ok);
          EXPECT_EQ(status, CapText(GetText(textid::kLanguagesPrefix), ": ") + "Deutsch,English");
          chooser.OnCheckDir(empty.PathWithoutSlash(), status, ok);
          EXPECT_FALSE(ok);
          chooser.SetDir("  " + empty.PathWithoutSlash() + " ");
          return int(QDialog::Accepted);
        });
        dialog.ButtonChangeClick();
        lines = Lines(dialog);
        EXPECT_FALSE(dialog.ButtonOk->isEnabled());
        dialog.ListBox1->setCurrentRow(0);
        EXPECT_TRUE(dialog.ButtonOk->isEnabled());
        return int(QDialog::Accepted);
      }));
  EXPECT_EQ(lines, std::vector<std::string>{TLanguageDialog::kNoneChoice});
  EXPECT_TRUE(changed);
  EXPECT_EQ(country, "");
  EXPECT_EQ(language, "");
}

TEST_F(LanguageDialog, AnotherDirectoryListsItsChoicesAndACancelledChangeKeepsTheList) {
  test::TTempDir other;
  other.Write("STATE_FR.nls", "COUNTRY=France\n");
  const std::string french =
      other.Write("Quorvane_fr.nls", "LANGUAGE=Fran\xE7\x61is\nCOUNTRIES=FR\n");
  std::string country = Dir() + "STATE_DE.nls";
  std::string language = german_;
  std::vector<std::string> afterCancel;
  std::vector<std::string> afterChange;
  EXPECT_TRUE(ChooseLanguage(country, language, kLanguagePrefix, nullptr,
                             Session([&](TLanguageDialog& dialog) {
                               dialog.SetChooserRunner([](TDirectoryDialog& chooser) {
                                 chooser.SetDir("/");
                                 return int(QDialog::Rejected);
                               });
                               dialog.ButtonChangeClick();
                               afterCancel = Lines(dialog);
                               EXPECT_EQ(FilePath(dialog.EditDir->text()), Dir());
                               // The chosen directory comes without a trailing "/".
                               dialog.SetChooserRunner([&](TDirectoryDialog& chooser) {
                                 chooser.SetDir(other.PathWithoutSlash());
                                 return int(QDialog::Accepted);
                               });
                               dialog.ButtonChangeClick();
                               afterChange = Lines(dialog);
                               dialog.ListBox1->setCurrentRow(0);
                               return int(QDialog::Accepted);
                             })));
  EXPECT_EQ(afterCancel.size(), 3u);
  EXPECT_EQ(afterChange, std::vector<std::string>{"Fran\xE7\x61is (France)"});
  EXPECT_EQ(language, french);
  EXPECT_EQ(country, other / "STATE_FR.nls");
}

}  // namespace
}  // namespace quorvane
