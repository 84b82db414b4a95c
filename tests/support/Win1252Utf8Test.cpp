#include <gtest/gtest.h>

#include "support/Win1252.h"

namespace quorvane {
namespace {

TEST(Win1252Utf8, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int c = 0; c < 256; ++c) {
    all += static_cast<char>(c);
  }
  const std::string utf8 = Win1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWin1252(utf8), all);
}

TEST(Win1252Utf8, MapsTheCodePageCharacters) {
  EXPECT_EQ(Win1252ToUtf8("\x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xC4\xFF"),
            "\u20AC\u0081\u008D\u008F\u0090\u009D\u0178\u00A0\u00C4\u00FF");
  // U+0080 is no Windows-1252 character (0x80 is the euro sign); nor are CJK and emoji.
  EXPECT_EQ(Utf8ToWin1252("\u0080\u4E2D\U0001F600\u20AC"), "???\x80");
}

TEST(Win1252Utf8, RejectsMalformedUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("a\u00E4\u20AC\U0010FFFF"));
  EXPECT_FALSE(IsValidUtf8("\xC4"));              // Windows-1252 text
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_EQ(Utf8ToWin1252("a\xC4z\xE2\x82"), "a?z??");
}

}  // namespace
}  // namespace quorvane
