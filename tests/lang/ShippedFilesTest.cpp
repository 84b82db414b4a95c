#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "lang/LanguageChoices.h"
#include "lang/LanguageFile.h"
#include "platform/TestSupport.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

const std::string kDataDir = QUORVANE_SOURCE_DIR "/data/";

std::map<uint32_t, std::string> TextsOf(const std::string& file) {
  std::map<uint32_t, std::string> texts;
  EXPECT_EQ(
      ForEachLanguageEntry(file,
                           [&](const std::string& key, const std::string& value) {
                             if (auto id = ParseTextId(key)) {
                               EXPECT_TRUE(texts.emplace(*id, DecodeLanguageValue(value)).second)
                                   << file << ": " << key << " defined twice";
                             }
                             return true;
                           }),
      0)
      << file;
  return texts;
}

size_t Count(const std::string& text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class ShippedLanguageFile : public ::testing::TestWithParam<const char*> {};

// Each text has the placeholders of its English original: one "%s" or none. Any other "%"
// would be taken for a placeholder by the formatting of the settings-store message.
TEST_P(ShippedLanguageFile, DefinesEveryTextWithTheRightPlaceholders) {
  const auto texts = TextsOf(kDataDir + GetParam());
  const auto english = TextsOf(kDataDir + "Quorvane_en.nls");
  const std::regex misspelt(R"(&[A-Za-z]+;|\\)");
  for (const uint32_t id : textid::kAllTextIds) {
    const auto it = texts.find(id);
    ASSERT_NE(it, texts.end()) << TextIdHex(id) << " missing";
    const std::string& text = it->second;
    EXPECT_FALSE(text.empty()) << TextIdHex(id);
    const size_t placeholders = Count(english.at(id), "%s");
    EXPECT_LE(placeholders, 1u) << TextIdHex(id);
    EXPECT_EQ(Count(text, "%"), placeholders) << TextIdHex(id) << ": " << text;
    EXPECT_EQ(Count(text, "%s"), placeholders) << TextIdHex(id) << ": " << text;
    // Suffixes such as "..." and ":" are the program's, except for the one label taken as it is.
    const bool ownColon = id == textid::kChooseLanguageLabel;
    EXPECT_FALSE(text.ends_with("...") || text.ends_with(":") != ownColon || text.ends_with(" "))
        << TextIdHex(id) << ": " << text;
    // A mistyped entity or escape would show as written.
    EXPECT_FALSE(std::regex_search(text, misspelt)) << TextIdHex(id) << ": " << text;
  }
  // Every key name after the first, whose identifier is in the list.
  for (uint32_t index = 1; index < std::size(kMenuKeyNames); ++index) {
    EXPECT_EQ(texts.count(textid::kMenuKeyNamesBase + index), 1u) << kMenuKeyNames[index];
  }
  EXPECT_EQ(texts.size(), std::size(textid::kAllTextIds) + std::size(kMenuKeyNames) - 1);
  EXPECT_EQ(texts.at(textid::kRecursiveInclude).find_first_of("<>&\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Both, ShippedLanguageFile,
                         ::testing::Values("Quorvane_en.nls", "Quorvane_de.nls"));

TEST(ShippedFiles, OfferEveryLanguageAndCountry) {
  InitLanguage("", "");
  std::vector<std::string> names;
  for (const TLanguageEntry& entry : FindLanguages(kDataDir, "Quorvane_")) {
    names.push_back(entry.DisplayName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Deutsch (Schweiz)", "Deutsch (\xD6sterreich)",
                                             "Deutsch (Deutschland)", "English (United States)",
                                             "English (United Kingdom)"}));
  EXPECT_EQ(LanguageSummary(kDataDir, "Quorvane_").Text, "Languages: Deutsch,English");
}

// Every language file, country file and help page is in the build tree, by the list that
// installs them too; the dialogs' help buttons open every help page at these anchors.
TEST(ShippedFiles, AreCopiedIntoTheBuildTreeAndHelpPagesHaveTheDialogsAnchors) {
  for (const auto& entry : std::filesystem::directory_iterator(kDataDir)) {
    const std::string extension = entry.path().extension();
    if (extension != ".nls" && extension != ".htm") {
      continue;
    }
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(QUORVANE_BUILD_DATA_DIR) /
                                        entry.path().filename()))
        << entry.path();
    const std::string page = test::ReadBytes(entry.path());
    for (const char* anchor : {"id=\"contextmenu\"", "id=\"tagdefinition\""}) {
      EXPECT_TRUE(extension == ".nls" || page.find(anchor) != std::string::npos)
          << entry.path() << ": " << anchor;
    }
  }
}

}  // namespace
}  // namespace quorvane
