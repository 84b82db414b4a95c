#include <gtest/gtest.h>

#include "support/CommaText.h"
#include "support/Pattern.h"
#include "support/ShownName.h"
#include "support/TextFormat.h"
#include "support/Win1252.h"

namespace quorvane {
namespace {

TEST(Win1252, UpperCasingCoversAccentedLettersButNotDivisionSignAndCapTextOnlyTheFirst) {
  EXPECT_EQ(UpperCase("ab\xE4\xFE\xF7\x9A\x9C\x9E\xFF\xDF"), "AB\xC4\xDE\xF7\x8A\x8C\x8E\x9F\xDF");
  EXPECT_EQ(FindNoCase("xx<pRe>", "<PRE>", 0), 2u);
  EXPECT_EQ(FindNoCase("<\xE4", "<\xC4", 0), 0u);
  EXPECT_EQ(FindNoCase("abc", "C", 3), std::string_view::npos);
  // Texts are capitalised on their first letter only.
  EXPECT_EQ(CapText("\xE4rger", "..."), "\xC4rger...");
  EXPECT_EQ(CapText("\x9Ex", ""), "\x9Ex");  // not among the letters texts capitalise
  EXPECT_EQ(CapText("", "..."), "");
  EXPECT_EQ(CapText("1 a", ":"), "1 a:");
}

// Empty items and blanks around items: the tag list's reading test; joining: the language
// summary.
TEST(CommaText, SplitsLikeStoredListsWereAlwaysRead) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCommaText("  a b,"), (V{"a", "b"}));
  EXPECT_EQ(SplitCommaText("\"a \"\"q\"\"\",x"), (V{"a \"q\"", "x"}));
  EXPECT_EQ(SplitCommaText("\"open,end"), (V{"open,end"}));
  EXPECT_EQ(SplitCommaText(std::string_view("a,b\0c", 5)), (V{"a", "b"}));
  EXPECT_EQ(SplitCommaText(""), V{});
}

TEST(ShownName, NamesKeepTheirCharactersWithControlsEscapedAndBadBytesReplaced) {
  EXPECT_EQ(DisplayName("esc\x1b[31mRED\x1b[0m.htm"), "esc\\033[31mRED\\033[0m.htm");
  EXPECT_EQ(DisplayName("a\rb\nc\td\x7f\x01"), "a\\rb\\nc\\td\\177\\001");
  EXPECT_EQ(DisplayName(std::string("n\0ul", 4)), "n\\000ul");
  EXPECT_EQ(DisplayName("back\\slash.htm"), "back\\\\slash.htm");
  EXPECT_EQ(DisplayName("\xc3\xa4\xe2\x82\xac\xe6\x97\xa5.htm"),
            "\xc3\xa4\xe2\x82\xac\xe6\x97\xa5.htm");
  // A C1 control (here CSI) is escaped; bytes of no valid sequence become U+FFFD.
  EXPECT_EQ(DisplayName("\xc2\x9b[J"), "\\302\\233[J");
  EXPECT_EQ(DisplayName("gr\xfcn\xe4\x80.htm"), "gr\xef\xbf\xbdn\xef\xbf\xbd\xef\xbf\xbd.htm");
}

TEST(ShownName, MarkedNamesStayAsTheyAreWhenTheProgramTextIsShown) {
  // "Datei %s ist schreibgeschuetzt." in Windows-1252, with a UTF-8 name in it.
  const std::string text =
      "Datei " + ShownName("\xc3\x96l \xe6\x97\xa5.htm") + " ist schreibgesch\xfctzt.";
  EXPECT_EQ(ShownText(text), "Datei \xc3\x96l \xe6\x97\xa5.htm ist schreibgesch\xc3\xbctzt.");
  EXPECT_EQ(CapText(ShownName("\xc3\xa4.htm") + " x"), ShownName("\xc3\xa4.htm") + " x")
      << "a name keeps its letter case";
  // A text cut in the middle of a name still shows as valid UTF-8.
  EXPECT_EQ(ShownText(ShownName("\xc3\xa4\xc3\xa4").substr(0, 4)), "\xc3\xa4\xef\xbf\xbd");
}

struct Found {
  size_t pos;
  size_t len;
  bool operator==(const Found&) const = default;
};

std::optional<Found> Find(std::string_view pattern, std::string_view text, size_t from = 0,
                          bool matchCase = false) {
  const auto compiled = TPattern::Compile(pattern);
  EXPECT_TRUE(compiled.has_value()) << pattern;
  const auto match = compiled ? compiled->Search(text, from, matchCase) : std::nullopt;
  return match ? std::optional(Found{match->Position, match->Length}) : std::nullopt;
}

// Stars on every pattern of a few letters: the reference test below; searching backwards: the
// editor's search test.
TEST(Pattern, SetsRangesNegationEscapesAndTheEndOfTheText) {
  EXPECT_EQ(Find("<P*>", "a <p class=x"), (Found{2, 10}));  // the text running out ends a match
  EXPECT_EQ(Find("x", "x", 1), std::nullopt);
  EXPECT_EQ(Find("[!0-9]", "12a"), (Found{2, 1}));
  EXPECT_EQ(Find("[]]", "ab]"), (Found{2, 1}));
  EXPECT_EQ(Find("[!]]", "]]x"), (Found{2, 1}));
  EXPECT_EQ(Find("[z-a]", "az"), std::nullopt);  // a reversed range is empty
  EXPECT_EQ(Find("[a-c]", "xB"), (Found{1, 1}));
  EXPECT_EQ(Find("[a-c]", "xB", 0, true), std::nullopt);
  EXPECT_EQ(Find("[\\t]", "a\tb"), (Found{1, 1}));
  // Without regard to case every member counts upper-cased, not only a range's ends.
  EXPECT_EQ(Find("[_-z]", "a"), (Found{0, 1}));
  EXPECT_EQ(Find("[_-z]", "_"), (Found{0, 1}));
  EXPECT_EQ(Find("[A-z]", "["), (Found{0, 1}));
  EXPECT_EQ(Find("[a-\xE9]", "\xDF"), (Found{0, 1}));
  EXPECT_EQ(Find("[!a-c]", "Bx"), (Found{1, 1}));
  // A backslash pair that forms no escape: two members, and no range.
  for (const char* member : {"\\", "q", "-", "z"}) {
    EXPECT_EQ(Find("[\\q-z]", member, 0, true), (Found{0, 1})) << member;
  }
  EXPECT_EQ(Find("[\\q-z]", "r", 0, true), std::nullopt);
  // Escapes as everywhere else; a backslash that starts none stands for itself.
  EXPECT_EQ(Find("\\x:41", "xA"), (Found{1, 1}));
  EXPECT_EQ(Find("\\300", "\x1E\x30"), (Found{0, 2}));  // code 30, then "0"
  EXPECT_EQ(Find("\\*", "a\\*"), (Found{1, 2}));
  EXPECT_EQ(Find("a\\", "a\\"), (Found{0, 2}));
  EXPECT_FALSE(TPattern::Compile("").has_value());
}

// Stars as plainly as they are defined: the shortest run after which the rest matches. A run of
// literal characters must be present in full.
std::optional<size_t> ReferenceMatch(std::string_view p, std::string_view t, size_t pos) {
  if (p.empty() || pos >= t.size()) {
    return pos;
  }
  if (p[0] == '*') {
    if (p.size() == 1) {
      return pos;
    }
    for (size_t k = pos; k <= t.size(); ++k) {
      if (auto end = ReferenceMatch(p.substr(1), t, k)) {
        return end;
      }
    }
    return std::nullopt;
  }
  if (p[0] == '?') {
    return ReferenceMatch(p.substr(1), t, pos + 1);
  }
  const size_t run = std::min(p.find_first_of("?*"), p.size());
  if (t.substr(pos, run) != p.substr(0, run)) {
    return std::nullopt;
  }
  return ReferenceMatch(p.substr(run), t, pos + run);
}

TEST(Pattern, StarsNeedNoRecursionAndFindWhatTheDefinitionFinds) {
  uint32_t seed = 1;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 16) % n;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string pattern;
    std::string text;
    for (uint32_t i = 0, n = 1 + next(7); i < n; ++i) {
      pattern += "ab?*"[next(4)];
    }
    for (uint32_t i = 0, n = next(9); i < n; ++i) {
      text += "ab"[next(2)];
    }
    const auto compiled = TPattern::Compile(pattern);
    std::optional<size_t> last;  // the rightmost start of a match
    for (size_t pos = 0; pos < text.size(); ++pos) {
      const auto end = ReferenceMatch(pattern, text, pos);
      ASSERT_EQ(compiled->MatchAt(text, pos, true), end ? std::optional(*end - pos) : std::nullopt)
          << pattern << " on " << text << " at " << pos;
      last = end ? std::optional(pos) : last;
    }
    const auto before = compiled->SearchBefore(text, text.size(), true);
    ASSERT_EQ(before ? std::optional(before->Position) : std::nullopt, last)
        << pattern << " on " << text;
  }
  std::string deep;
  for (int i = 0; i < 120000; ++i) {
    deep += "*a";
  }
  EXPECT_EQ(Find(deep, "xa" + std::string(130000, 'a')), (Found{0, 120001}));
  EXPECT_EQ(Find(deep + "b", std::string(200, 'a')), (Found{0, 200}));
}

}  // namespace
}  // namespace quorvane
