#include <gtest/gtest.h>

#include <filesystem>

#include "lang/Language.h"
#include "lang/LanguageChoices.h"
#include "platform/TestSupport.h"

namespace quorvane {
namespace {

class LanguageChoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguage("", "");
    // The first value of a key in any letter case counts; the last line needs no line end.
    dir_.Write("STATE_DE.nls", "# comment\r\ncountry=Deutschland\r\nCOUNTRY=Zweite");
    dir_.Write("STATE_AT.nls", "COUNTRY=\xD6sterreich\n");
  }

  std::vector<std::string> Names(const std::vector<TLanguageEntry>& entries) {
    std::vector<std::string> names;
    for (const TLanguageEntry& entry : entries) {
      names.push_back(entry.DisplayName);
    }
    return names;
  }

  test::TTempDir dir_;
};

TEST_F(LanguageChoicesTest, OffersEachCountryFromTheEndUpToAnEmptyCode) {
  // Which files a choice names: the language dialog's tests.
  dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\nCOUNTRIES=de,AT\n");
  EXPECT_EQ(Names(FindLanguages(dir_.Path(), "Quorvane_")),
            (std::vector<std::string>{"Deutsch (\xD6sterreich)", "Deutsch (Deutschland)"}));

  dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\nCOUNTRIES=DE,,AT\n");
  EXPECT_EQ(Names(FindLanguages(dir_.Path(), "Quorvane_")),
            (std::vector<std::string>{"Deutsch (\xD6sterreich)"}));

  // Without the trailing slash, and blanks around the codes.
  dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\nCOUNTRIES=DE, XX ,AT \n");
  std::string noSlash = dir_.Path();
  noSlash.pop_back();
  EXPECT_EQ(Names(FindLanguages(noSlash, "Quorvane_")),
            (std::vector<std::string>{"Deutsch (\xD6sterreich)", "Deutsch (Deutschland)"}));
}

TEST_F(LanguageChoicesTest, SkipsFilesThatDoNotQualify) {
  dir_.Write("Quorvane_de.nls", "LANGUAGE=Deutsch\n");              // no COUNTRIES
  dir_.Write("Quorvane_at.nls", "COUNTRIES=AT\n");                  // no LANGUAGE
  dir_.Write("quorvane_xx.nls", "LANGUAGE=Lower\nCOUNTRIES=DE\n");  // prefix case differs
  dir_.Write("Quorvane_xyz.nls", "LANGUAGE=Long\nCOUNTRIES=DE\n");
  dir_.Write("Quorvane_xx.NLS", "LANGUAGE=Upper\nCOUNTRIES=DE\n");
  dir_.Write("Quorvane_ch.nls", "LANGUAGE=Schwyzerd\xFC\x74sch\nCOUNTRIES=CH\n");  // no STATE_CH
  std::filesystem::create_directory(dir_.Path() + "Quorvane_zz.nls");
  EXPECT_TRUE(FindLanguages(dir_.Path(), "Quorvane_").empty());
  EXPECT_TRUE(FindLanguages(dir_.Path() + "missing", "Quorvane_").empty());
}

TEST_F(LanguageChoicesTest, SummaryNamesTheLanguagesSortedByFileNameInTheTextsLanguage) {
  const TLanguageSummary none = LanguageSummary(dir_.Path(), "Quorvane_");
  EXPECT_FALSE(none.Found);
  EXPECT_EQ(none.Text, "No languages found.");

  dir_.Write("Quorvane_en.nls", "LANGUAGE=English (UK)\n");
  dir_.Write("Quorvane_DE.nls", "language=Deutsch\r\nLANGUAGE=Zweite\r\n");
  dir_.Write("Quorvane_fr.nls", "LANGUAGE=\n");
  const TLanguageSummary some = LanguageSummary(dir_.Path(), "Quorvane_");
  EXPECT_TRUE(some.Found);
  EXPECT_EQ(some.Text, "Languages: Deutsch,\"English (UK)\"");

  // In the language of the texts.
  const std::string texts = dir_.Write("texts.nls", "7D8C3B71=sprachen\n6679002D=keine\n");
  ASSERT_EQ(InitLanguage("", texts), 0);
  EXPECT_EQ(LanguageSummary(dir_.Path(), "L_").Text, "Keine.");
  EXPECT_EQ(LanguageSummary(dir_.Path(), "Quorvane_").Text, "Sprachen: Deutsch,\"English (UK)\"");
}

}  // namespace
}  // namespace quorvane
