// The first start's language check with the language dialog and its two messages.
#include <gtest/gtest.h>

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

// A first start on a settings store of its own, with fake messages; the English texts again
// afterwards, as the other dialog tests expect.
class LanguageStartup : public ::testing::Test {
 protected:
  LanguageStartup() { environment.Set("XDG_CONFIG_HOME", config.Path()); }
  ~LanguageStartup() override { InitLanguage("", FindDataFile("Quorvane_en.nls")); }

  test::TTempDir config;
  test::TScopedEnvironment environment;
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

}  // namespace
}  // namespace quorvane
