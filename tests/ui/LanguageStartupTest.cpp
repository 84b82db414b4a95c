// The first start's language check and its two messages.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "FakeMessages.h"
#include "batch/LanguageStartup.h"
#include "batch/SettingsStore.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

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

// The language that cannot be loaded is reported, with the error number when files were chosen,
// and the program runs with its built-in texts.
TEST_F(LanguageStartup, AChosenLanguageThatCannotBeLoadedIsReported) {
  StartLanguage(store, window, [](std::string&, std::string&) { return true; });
  EXPECT_EQ(window.LanguageFile + window.CountryFile, "");
  StartLanguage(store, window, [&](std::string& country, std::string& language) {
    country = dir.Write("STATE_DE.nls", "COUNTRY=Deutschland\n");
    language = dir / "Quorvane_de.nls";
    return true;
  });
  EXPECT_EQ(messages->Errors,
            (std::vector<std::string>{"I am speechless...",
                                      "Error 2 while opening national language support"}));
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
    asked = true;
    return test::ChooseEnglish(country, language);
  });
  EXPECT_TRUE(asked);
  EXPECT_TRUE(LanguageInitialised());
  EXPECT_EQ(UiText(textid::kYes), "Yes");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_TRUE(messages->Errors.empty());
}

}  // namespace
}  // namespace quorvane
