#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "lang/LanguageFile.h"
#include "platform/TestSupport.h"

namespace quorvane {
namespace {

struct TParsed {
  bool Ok;
  std::string Key;
  std::string Value;
  bool operator==(const TParsed&) const = default;
};

TParsed Parse(std::string_view line) {
  TParsed parsed{false, {}, {}};
  parsed.Ok = ParseLanguageLine(line, parsed.Key, parsed.Value);
  return parsed;
}

TEST(LanguageLine, KeepsTheValueAsWrittenUnlessItIsQuoted) {
  EXPECT_EQ(Parse("4560CF28 = Abbrechen"), (TParsed{true, "4560CF28", " Abbrechen"}));
  EXPECT_EQ(Parse("4560CF28 = \"Abbrechen\""), (TParsed{true, "4560CF28", "Abbrechen"}));
  EXPECT_EQ(Parse("\t key\t=' a b ' "), (TParsed{true, "key", " a b "}));
  EXPECT_EQ(Parse("k=\"a'"), (TParsed{true, "k", "\"a'"}));
  EXPECT_EQ(Parse("k=\""), (TParsed{true, "k", "\""}));
  EXPECT_EQ(Parse("k=a=b"), (TParsed{true, "k", "a=b"}));
  EXPECT_EQ(Parse("k="), (TParsed{true, "k", ""}));
}

TEST(LanguageLine, CommentsEndTheContentOutsideDoubleQuotes) {
  EXPECT_EQ(Parse("k=a # note"), (TParsed{true, "k", "a "}));
  EXPECT_EQ(Parse("k=\"a # b\" # note"), (TParsed{true, "k", "a # b"}));
  EXPECT_EQ(Parse("k='a # b'"), (TParsed{true, "k", "'a "}));
  EXPECT_FALSE(Parse("  # k=v").Ok);
  EXPECT_FALSE(Parse("k#=v").Ok);
}

TEST(LanguageLine, RejectsLinesWithoutAKey) {
  EXPECT_FALSE(Parse("").Ok);
  EXPECT_FALSE(Parse(" \t ").Ok);
  EXPECT_FALSE(Parse("no equals sign").Ok);
  EXPECT_FALSE(Parse("=value").Ok);
  EXPECT_FALSE(Parse("  =value").Ok);
  EXPECT_FALSE(Parse(" \t=value").Ok);
}

TEST(LanguageValue, DecodesEscapesThenEntities) {
  EXPECT_EQ(DecodeLanguageValue("&Auml;nderung"), "\xC4nderung");
  EXPECT_EQ(DecodeLanguageValue("a\\tb"), "a\tb");
  EXPECT_EQ(DecodeLanguageValue("\\x:41"), "A");
  EXPECT_EQ(DecodeLanguageValue("&amp;uuml;"), "&uuml;");
  EXPECT_EQ(DecodeLanguageValue("&auml;&ouml;&uuml;&Ouml;&Uuml;&szlig;&AUML;"),
            "\xE4\xF6\xFC\xD6\xDC\xDF&AUML;");
  // An escape may produce an entity, which is then decoded.
  EXPECT_EQ(DecodeLanguageValue("\\38ouml;"), "\xF6");
  EXPECT_EQ(DecodeLanguageValue("\\300|\\X:fff|\\o:777|\\D:65|\\q|end\\"),
            "\x1E"
            "0|\xFF"
            "f|?7|A|\\q|end\\");
  EXPECT_EQ(DecodeLanguageValue("\\\\n \\e \\a\\b\\f\\n\\r\\v"), "\\n \\ \a\b\f\n\r\v");
  EXPECT_EQ(DecodeLanguageValue("\\x:|\\T"), "\\x:|\\T");
}

TEST(LanguageKey, TextIdentifiersAreOneToEightHexDigits) {
  EXPECT_EQ(ParseTextId("4560CF28"), 0x4560CF28u);
  EXPECT_EQ(ParseTextId("ffffffff"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseTextId("a"), 0xAu);
  EXPECT_EQ(ParseTextId("000000001"), std::nullopt);
  EXPECT_EQ(ParseTextId(""), std::nullopt);
  EXPECT_EQ(ParseTextId("12G4"), std::nullopt);
  EXPECT_EQ(ParseTextId("LANGUAGE"), std::nullopt);
}

TEST(LanguageFile, FindsTheFirstValueOfAKeyWithoutRegardToCase) {
  test::TTempDir dir;
  const std::string file = dir.Write("Quorvane_xx.nls",
                                     "# comment\r\nlanguage= Deutsch\r\nLANGUAGE=Zweite\r\nx=\r\n"
                                     "COUNTRIES=DE,AT");
  EXPECT_EQ(ReadLanguageValue(file, "LANGUAGE"), " Deutsch");
  EXPECT_EQ(ReadLanguageValue(file, "Countries"), "DE,AT");  // last line without line end
  EXPECT_EQ(FindLanguageValue(file, "X"), "");
  EXPECT_EQ(FindLanguageValue(file, "COUNTRY"), std::nullopt);
  EXPECT_EQ(ReadLanguageValue(dir.Path() + "missing.nls", "LANGUAGE"), "");
}

TEST(LanguageFile, ReportsWhyAFileCannotBeRead) {
  test::TTempDir dir;
  auto visitNothing = [](const std::string&, const std::string&) { return true; };
  EXPECT_EQ(ForEachLanguageEntry("", visitNothing), ENOENT);
  EXPECT_EQ(ForEachLanguageEntry(dir.Path() + "missing.nls", visitNothing), ENOENT);
  // What is no regular file counts as missing; a FIFO is never opened, which would block.
  EXPECT_EQ(ForEachLanguageEntry(dir.Path(), visitNothing), ENOENT);
  ASSERT_EQ(mkfifo((dir.Path() + "fifo.nls").c_str(), 0600), 0);
  EXPECT_EQ(ForEachLanguageEntry(dir.Path() + "fifo.nls", visitNothing), ENOENT);
}

TEST(LanguageFile, ReadsLongLinesAcrossReadBuffers) {
  test::TTempDir dir;
  const std::string text(10000, 'x');
  const std::string file = dir.Write("long.nls", "a=" + text + "\nb=" + text + "y\r\n");
  EXPECT_EQ(ReadLanguageValue(file, "a"), text);
  EXPECT_EQ(ReadLanguageValue(file, "b"), text + "y");
}

}  // namespace
}  // namespace quorvane
