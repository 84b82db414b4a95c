#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "lang/Language.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

class LanguageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetMemoryLoadProvider(nullptr);
    InitLanguage("", "");
    FormatSettings() = TFormatSettings{};
  }

  test::TTempDir dir_;
};

// What is no regular file counts as missing (a FIFO: the batch process's test).
TEST_F(LanguageTest, WithoutFilesLookupsFallBack) {
  EXPECT_EQ(InitLanguage("", ""), ENOENT);
  EXPECT_FALSE(LanguageInitialised());
  EXPECT_EQ(InitLanguage(dir_.Path() + "STATE_XX.nls", dir_.Path() + "Quorvane_xx.nls"), ENOENT);
  EXPECT_EQ(CurrentLanguageFile(), dir_.Path() + "Quorvane_xx.nls");
  EXPECT_EQ(CurrentCountryFile(), dir_.Path() + "STATE_XX.nls");
  EXPECT_EQ(InitLanguage("", dir_.Path()), ENOENT);
  EXPECT_EQ(GetText(textid::kTagNameEmpty), "String 14806D8C not found");
}

TEST_F(LanguageTest, LoadsDecodedTextsAndTheFirstDefinitionWins) {
  const std::string language = dir_.Write("Quorvane_de.nls",
                                          "655c77aa=OK\n"
                                          "1=&Auml;nderung\n"
                                          "1=second\n"
                                          "FFFFFFFF=last\n"
                                          "0=zero\n"
                                          "123456789=too long\n"
                                          "12G4=no number\n");
  EXPECT_EQ(InitLanguage("", language), 0);
  EXPECT_TRUE(LanguageInitialised());
  EXPECT_TRUE(TextsInMemory());
  EXPECT_EQ(GetText(0x655C77AA), "OK");
  EXPECT_EQ(GetText(1), "\xC4nderung");
  EXPECT_EQ(GetText(0xFFFFFFFF), "last");
  EXPECT_EQ(GetText(0), "zero");
  EXPECT_EQ(GetText(0x23456789), "String 23456789 not found");
  EXPECT_EQ(GetText(0x12), "String 00000012 not found");
  EXPECT_EQ(LanguageTexts().GetText(1), "\xC4nderung");
}

TEST_F(LanguageTest, CachedLookupsStayRightWhileTheTableGrows) {
  const std::string first = dir_.Write("a.nls", "10=ten\n30=thirty\n");
  const std::string second = dir_.Write("b.nls", "20=twenty\n5=five\n40=forty\n");
  ASSERT_EQ(InitLanguage("", first), 0);
  EXPECT_EQ(GetText(0x10), "ten");
  EXPECT_EQ(GetText(0x30), "thirty");
  // Inserting before cached entries moves them.
  ASSERT_EQ(LoadLanguageFile(second), 0);
  const std::pair<uint32_t, const char*> expected[] = {
      {0x30, "thirty"}, {0x10, "ten"},  {0x5, "five"},    {0x20, "twenty"},
      {0x40, "forty"},  {0x10, "ten"},  {0x30, "thirty"}, {0x5, "five"},
      {0x40, "forty"},  {0x7, nullptr}, {0x20, "twenty"}, {0x10, "ten"}};
  for (const auto& [id, text] : expected) {
    EXPECT_EQ(GetText(id, "-"), text ? text : "-") << id;
  }
}

TEST_F(LanguageTest, CountryTextsWinInMemoryButOnlyTheLanguageFileIsReadAgain) {
  const std::string country =
      dir_.Write("STATE_AT.nls", "COUNTRY=Austria\n745A3E03=Landessprache\n");
  const std::string language = dir_.Write("Quorvane_de.nls",
                                          "745A3E03=Sprache\r\n"
                                          "64DAD32C=Verz\\x:65ichnis\r\n");
  ASSERT_EQ(InitLanguage(country, language), 0);
  EXPECT_EQ(GetText(textid::kLanguage), "Landessprache");

  SetMemoryLoadProvider([] { return 100; });
  ASSERT_EQ(InitLanguage(country, language), 0);
  EXPECT_FALSE(TextsInMemory());
  EXPECT_EQ(GetText(textid::kLanguage), "Sprache");
  EXPECT_EQ(GetText(textid::kDirectory), "Verzeichnis");
  EXPECT_EQ(GetText(textid::kChange, "Change"), "Change");
  // Each lookup reads the file as it is now.
  dir_.Write("Quorvane_de.nls", "745A3E03=Neu\n");
  EXPECT_EQ(GetText(textid::kLanguage), "Neu");
  std::remove(language.c_str());
  EXPECT_EQ(GetText(textid::kLanguage), "String 745A3E03 not found");

  SetMemoryLoadProvider([] { return 99; });
  InitLanguage(country, language);
  EXPECT_TRUE(TextsInMemory());
}

// Of the format keys only the decimal separator shows (in the terminal's summary). A value of
// other than one character is ignored; a language file sets it too.
TEST_F(LanguageTest, FormatKeysSetTheDecimalSeparator) {
  ASSERT_EQ(InitLanguage(dir_.Write("STATE_DE.nls", "decimalseparator=,\n"), ""), ENOENT);
  EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
  ASSERT_EQ(InitLanguage("", dir_.Write("a.nls", "DECIMALSEPARATOR=. \nDECIMALSEPARATOR=\n")), 0);
  EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
  ASSERT_EQ(InitLanguage("", dir_.Write("b.nls", "DECIMALSEPARATOR=.\n")), 0);
  EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
}

// Permission bits hold only for a process that cannot override them: as root the file is
// read by the user nobody, in a child process.
TEST_F(LanguageTest, ReportsAnUnreadableLanguageFile) {
  ASSERT_EQ(chmod(dir_.Path().c_str(), 0777), 0);
  const int result = test::RunUnprivileged([this] {
    const std::string language = dir_.Write("Quorvane_de.nls", "1=x\n");
    ASSERT_EQ(chmod(language.c_str(), 0), 0);
    EXPECT_EQ(InitLanguage("", language), EACCES);
    EXPECT_EQ(GetText(1), "String 00000001 not found");
  });
  ASSERT_NE(result, test::kCannotDropPrivileges);
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace quorvane
