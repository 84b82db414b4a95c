#include "engine/PreSegments.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// The text with each protected segment in brackets; the segments must cover it in order.
std::string Marked(std::string_view text, TProtection protection) {
  std::string marked;
  size_t end = 0;
  for (const TSegmentBounds& b : FindProtectedSegments(text, protection)) {
    EXPECT_EQ(b.Begin, end) << text;
    const std::string segment(text.substr(b.Begin, b.End - b.Begin));
    marked += b.Protected ? "[" + segment + "]" : segment;
    end = b.End;
  }
  EXPECT_EQ(end, text.size()) << text;
  return marked;
}

TEST(PreSegments, ProtectExactlyWhatEachRuleNames) {
  constexpr TProtection kStrict = TProtection::StrictPre;
  constexpr TProtection kElements = TProtection::Elements;
  const struct {
    TProtection protection;
    const char* text;
    const char* marked;
  } cases[] = {
      // Only "<PRE>" itself, to the first "</PRE>" after it or to the end.
      {kStrict, "", ""},
      {kStrict, "a<pre>x  y</PRE>b", "a[<pre>x  y</PRE>]b"},
      {kStrict, "<PRE class=x>a", "<PRE class=x>a"},
      {kStrict, "a<PRE>b", "a[<PRE>b]"},
      {kStrict, "<PRE>a<PRE>b</PRE>c</PRE>", "[<PRE>a<PRE>b</PRE>]c</PRE>"},
      // The four elements with their attributes, in any letter case and tag white space; the
      // closing tag names the same element, and nothing inside opens another one.
      {kElements, "a<pre class=\"x\">  b  </pre >c", "a[<pre class=\"x\">  b  </pre >]c"},
      {kElements, "<SCRIPT type=x>if (a)\n  b;</style></Script\t\r\n>c",
       "[<SCRIPT type=x>if (a)\n  b;</style></Script\t\r\n>]c"},
      {kElements, "<textarea><pre> x </pre></textarea><p>",
       "[<textarea><pre> x </pre></textarea>]<p>"},
      {kElements, "<Style/> a", "[<Style/> a]"},
      {kElements, "<script>a</script\v>b", "[<script>a</script\v>b]"},
      // Longer names, a vertical tab, or nothing after the name open nothing.
      {kElements, "<prefix> a </prefix>", "<prefix> a </prefix>"},
      {kElements, "<scripts> a", "<scripts> a"},
      {kElements, "<pre\v> a", "<pre\v> a"},
      {kElements, "a <pre", "a <pre"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Marked(c.text, c.protection), c.marked) << c.text;
  }
}

}  // namespace
}  // namespace quorvane
