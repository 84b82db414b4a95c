#include <gtest/gtest.h>

#include "lang/LanguageFile.h"
#include "platform/TestSupport.h"

namespace quorvane {
namespace {

// The value is kept as written unless it is quoted; "#" outside double quotes ends the line.
TEST(LanguageLine, SplitsKeyAndValue) {
  const std::pair<const char*, const char*> lines[] = {{"4560CF28 = Abbrechen", " Abbrechen"},
                                                       {"k = \"Abbrechen\"", "Abbrechen"},
                                                       {"\t k\t=' a b ' ", " a b "},
                                                       {"k=\"a'", "\"a'"},
                                                       {"k=\"", "\""},
                                                       {"k=a=b", "a=b"},
                                                       {"k=", ""},
                                                       {"k=a # note", "a "},
                                                       {"k=\"a # b\" # note", "a # b"},
                                                       {"k='a # b'", "'a "}};
  for (const auto& [line, value] : lines) {
    std::string key;
    std::string parsed;
    ASSERT_TRUE(ParseLanguageLine(line, key, parsed)) << line;
    EXPECT_EQ(key, line[0] == '4' ? "4560CF28" : "k") << line;
    EXPECT_EQ(parsed, value) << line;
  }
  for (const char* noKey :
       {"", " \t ", "no equals sign", "=value", " \t=value", "  # k=v", "k#=v"}) {
    std::string key;
    std::string value;
    EXPECT_FALSE(ParseLanguageLine(noKey, key, value)) << noKey;
  }
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
            "\0360|\377f|?7|A|\\q|end\\");
  EXPECT_EQ(DecodeLanguageValue("\\\\n \\e \\a\\b\\f\\n\\r\\v"), "\\n \\ \a\b\f\n\r\v");
  EXPECT_EQ(DecodeLanguageValue("\\x:|\\T"), "\\x:|\\T");
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
