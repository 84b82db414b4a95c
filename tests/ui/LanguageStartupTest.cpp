// The first start's language check with the language dialog and its two messages.
#include <gtest/gtest.h>

#include <QListWidget>

#include "FakeMessages.h"
#include "batch/ApplicationReg.h"
#include "batch/LanguageStartup.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/LanguageDialog.h"

namespace quorvane {
namespace {

// Restores the English texts that the other dialog tests expect.
class EnglishAfterwards : public ::testing::Test {
 protected:
  void TearDown() override { InitLanguage("", FindDataFile("Quorvane_en.nls")); }
};

using LanguageStartup = EnglishAfterwards;

// No stored names and no language files: the dialog offers only "(none)", which leaves both
// names empty; the load fails and the program says so, then runs with its built-in texts.
TEST_F(LanguageStartup, FirstStartWithoutLanguageFilesIsSpeechless) {
  test::TMessagesScope messages;
  test::TTempDir empty;
  TWindowSettings window;
  std::vector<std::string> lines;
  StartLanguage(ApplicationReg(), window, [&](std::string& country, std::string& language) {
    language = (empty / "Quorvane_de.nls");
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
  EXPECT_TRUE(window.LanguageFile.empty());
  EXPECT_TRUE(window.CountryFile.empty());
  ASSERT_EQ(messages->Errors.size(), 1u);
  EXPECT_EQ(messages->Errors[0], "I am speechless...");
}

TEST_F(LanguageStartup, AChosenLanguageThatCannotBeLoadedIsReportedWithItsErrorNumber) {
  test::TMessagesScope messages;
  test::TTempDir dir;
  TWindowSettings window;
  StartLanguage(ApplicationReg(), window, [&](std::string& country, std::string& language) {
    country = dir.Write("STATE_DE.nls", "COUNTRY=Deutschland\n");
    language = (dir / "Quorvane_de.nls");
    return true;
  });
  ASSERT_EQ(messages->Errors.size(), 1u);
  EXPECT_EQ(messages->Errors[0], "Error 2 while opening national language support");
}

}  // namespace
}  // namespace quorvane
