#include <gtest/gtest.h>

#include "Fakes.h"
#include "LiteralEngine.h"
#include "engine/Compaction.h"

namespace quorvane {
namespace {

using testing::TFakeServices;

// Compacts with the engine and with the literal algorithm; both must give `expected`.
void ExpectCompacts(std::string input, const std::string& expected,
                    const TTagsCommaList& tags = TTagsCommaList::Default()) {
  TFakeServices fake;
  std::string fast = input;
  bool fastChanged = false;
  EXPECT_FALSE(CompactSegment(fast, fastChanged, tags, fake.services));
  std::string literal = input;
  bool literalChanged = false;
  oracle::LiteralCompactSegment(literal, literalChanged, tags);
  EXPECT_EQ(fast, expected) << "engine, input: " << input;
  EXPECT_EQ(literal, expected) << "literal, input: " << input;
  EXPECT_EQ(fastChanged, input != expected);
}

TTagsCommaList List(std::string_view text) {
  TTagsCommaList list;
  list.SetCommaText(text);
  return list;
}

TEST(Compaction, TrimsAndCollapsesWhiteSpace) {
  ExpectCompacts(" \t\n ", "");
  ExpectCompacts("a \t b", "a b");
  ExpectCompacts("a  \n b", "a\nb");
  ExpectCompacts("a\n  b", "a\nb");
  ExpectCompacts("a\f\v\r b", "a\nb");
  ExpectCompacts("a\r\n b", "a\rb");
  ExpectCompacts("<a  title='a  b'>", "<a title='a b'>");
  ExpectCompacts("<script>\n  var a;\n  var b;\n</script>", "<script>var a;\nvar b;</script>");
}

TEST(Compaction, RemovesWhiteSpaceAroundListedAndClosingTags) {
  ExpectCompacts("<b>bold </b>", "<b>bold</b>");
  ExpectCompacts("<TD> x </TD>", "<TD>x</TD>");
  ExpectCompacts("<p>\n<a href=x>link</a>\n</p>", "<p><a href=x>link</a></p>");
  ExpectCompacts("<!DOCTYPE html>\n<html>", "<!DOCTYPE html><html>");
  ExpectCompacts("x <PARAM name=a> y", "x<PARAM name=a>y");  // "P" also finds longer names
  ExpectCompacts("<b> x </b> <i> y</i>", "<b> x</b> <i> y</i>", List(""));
}

TEST(Compaction, LimitsCountOccurrencesPerSegment) {
  ExpectCompacts("<body>a <BODY>", "<body>a <BODY>");
  ExpectCompacts("x <body> a <BODY> b", "x<body>a <BODY> b");
  ExpectCompacts("a <X> b <X> c <X> d", "a<X>b<X>c <X> d", List("X,2"));
  // The pattern resumes after the ">" of its match: "<X" inside it is not a second match.
  ExpectCompacts("<X <X> a <X> b", "<X<X>a <X>b", List("X,2"));
}

TEST(Compaction, OddNamesTakeTheStepByStepRoad) {
  ExpectCompacts("a <T*> b <Tx> c", "a<T*>b <Tx>c", List("T*,0"));
  ExpectCompacts("a <H[1-3]> b <H2> c", "a<H[1-3]> b <H2>c", List("H[1-3],0"));
  ExpectCompacts("x <a b> y <a  b> z", "x<a b>y<a b>z", List("\"a b\",0"));
  ExpectCompacts("x <a> > y", "x<a> >y", List("\"a>\",0"));
}

TEST(Compaction, TrimAroundMatchesCountsOccurrences) {
  std::string s = "a <x> b <x> c";
  bool changed = false;
  EXPECT_EQ(TrimAroundMatches(s, changed, "<x", TTrimSide::Before, TSearchKind::Literal, true, 1),
            1u);
  EXPECT_EQ(s, "a<x> b <x> c");
  EXPECT_TRUE(changed);
  changed = false;
  EXPECT_EQ(TrimAroundMatches(s, changed, "[", TTrimSide::After, TSearchKind::Pattern, true, 0),
            0u);
  EXPECT_FALSE(changed);
  EXPECT_EQ(TrimAroundMatches(s, changed, "<X*>", TTrimSide::After, TSearchKind::Pattern, false, 0),
            2u);
  EXPECT_EQ(s, "a<x>b <x>c");
}

TEST(Compaction, CancelStopsAtTheNextReport) {
  TFakeServices fake;
  fake.progress.cancelAt = 0;
  std::string segment = " <p> a </p> ";
  bool changed = false;
  EXPECT_TRUE(CompactSegment(segment, changed, TTagsCommaList::Default(), fake.services));

  TFakeServices quiet;
  quiet.progress.cancelAt = 0;
  segment = " <p> a </p> ";
  EXPECT_FALSE(CompactSegment(segment, changed, List(""), quiet.services));  // no report made
  EXPECT_TRUE(quiet.progress.subProgress.empty());
}

}  // namespace
}  // namespace quorvane
