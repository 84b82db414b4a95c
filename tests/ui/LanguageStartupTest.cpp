// The first start's language check with the language dialog and its two messages.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>

#include "FakeMessages.h"
#include "batch/LanguageStartup.h"
#include "batch/SettingsStore.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/LanguageDialog.h"

namespace quorvane {
namespace {

// A first start, with no language loaded yet, on a settings store of its own (its folder set
// before the store is made), with fake messages; the English texts again afterwards, as the
// other dialog tests expect.
class LanguageStartup : public ::testing::Test {
 protected:
  LanguageStartup() { InitLanguage("", ""); }
  ~LanguageStartup() override { InitLanguage("", FindDataFile("Quorvane_en.nls")); }

  test::TScopedConfigHome configHome;
  TSettingsStore store{"Quorvane"};
  test::TMessagesScope messages;
  test::TTempDir dir;
  TWindowSettings window;
};

// No language files: the dialog offers only "(none)", which leaves both names empty; the load
// fails and the program says so, then runs with its built-in texts.
TEST_F(LanguageStartup, FirstStartWithoutLanguageFilesIsSpeechless) {
  std::vector<std::string> lines;
  StartLanguage(store, window, [&](std::string& country, std::string& language) {
    language = dir / "Quorvane_de.nls";
    return ChooseLanguage(country, language, kLanguagePrefix, nullptr,
                          [&](TLanguageDialog& dialog) {
                            dialog.FormShow();
                            for (int row = 0; row < dialog.ListBox1->count(); ++row) {
                              lines.push_back(ProgramText(dialog.ListBox1->item(row)->text()));
                            }
                            dialog.ListBox1->setCurrentRow(0);
                            return int(QDialog::Accepted);
                          });
  });
  EXPECT_EQ(lines, std::vector<std::string>{TLanguageDialog::kNoneChoice});
  EXPECT_EQ(window.LanguageFile + window.CountryFile, "");
  EXPECT_EQ(messages->Errors, std::vector<std::string>{"I am speechless..."});
}

TEST_F(LanguageStartup, AChosenLanguageThatCannotBeLoadedIsReportedWithItsErrorNumber) {
  StartLanguage(store, window, [&](std::string& country, std::string& language) {
    country = dir.Write("STATE_DE.nls", "COUNTRY=Deutschland\n");
    language = dir / "Quorvane_de.nls";
    return true;
  });
  EXPECT_EQ(messages->Errors,
            std::vector<std::string>{"Error 2 while opening national language support"});
}

// Stored files that moved are found again by name, with Qt's own texts in their language; stored
// files that are gone count as no choice, and the language check runs again.
TEST_F(LanguageStartup, MovedFilesAreFoundByNameAndGoneOnesAreChosenAgain) {
  const auto storeFiles = [&](const std::string& dir, const std::string& code) {
    InitLanguage("", "");
    ASSERT_TRUE(store.OpenAppKey({}, true));
    store.Write("LanguageFilename", dir + "/Quorvane_" + code + ".nls");
    store.Write("CountryFilename", dir + "/STATE_" + UpperCase(code) + ".nls");
    store.CloseKey();
  };
  bool asked = false;
  storeFiles("/moved/away", "de");
  StartLanguage(store, window, [&](std::string&, std::string&) { return asked = true; });
  EXPECT_FALSE(asked);
  EXPECT_EQ(window.LanguageFile, FindDataFile("Quorvane_de.nls"));
  EXPECT_EQ(window.CountryFile, FindDataFile("STATE_DE.nls"));
  EXPECT_EQ(UiText(textid::kYes), "Ja");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen")
      << "Qt's own texts in the same language (qt6-translations-l10n)";

  storeFiles("/gone", "xx");
  StartLanguage(store, window, [&](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return asked = true;
  });
  EXPECT_TRUE(asked);
  EXPECT_TRUE(LanguageInitialised());
  EXPECT_EQ(UiText(textid::kYes), "Yes");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_TRUE(messages->Errors.empty());
}

}  // namespace
}  // namespace quorvane
