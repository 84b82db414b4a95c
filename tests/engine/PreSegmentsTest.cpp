#include "engine/PreSegments.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct Seg {
  std::string text;
  bool isProtected;
  bool operator==(const Seg&) const = default;
};

std::vector<Seg> SplitToVector(std::string_view text,
                               TProtection protection = TProtection::StrictPre) {
  TStringListPreSegments segments;
  segments.Split(text, protection);
  std::vector<Seg> result;
  for (int i = 0; i < segments.Count(); ++i) {
    result.push_back({segments.Segment(i), segments.IsProtected(i)});
  }
  EXPECT_EQ(segments.Join(), text);
  return result;
}

TEST(PreSegments, SplitsAtPreBlocks) {
  using V = std::vector<Seg>;
  EXPECT_EQ(SplitToVector(""), (V{{"", false}}));
  EXPECT_EQ(SplitToVector("a<pre>x  y</PRE>b"),
            (V{{"a", false}, {"<pre>x  y</PRE>", true}, {"b", false}}));
  EXPECT_EQ(SplitToVector("<PRE>x</PRE>"), (V{{"<PRE>x</PRE>", true}}));
  EXPECT_EQ(SplitToVector("<PRE class=x>a"), (V{{"<PRE class=x>a", false}}));
  EXPECT_EQ(SplitToVector("a<PRE>b"), (V{{"a", false}, {"<PRE>b", true}}));
  EXPECT_EQ(SplitToVector("<PRE>a<PRE>b</PRE>c</PRE>"),
            (V{{"<PRE>a<PRE>b</PRE>", true}, {"c</PRE>", false}}));
}

TEST(PreSegments, ProtectsCodeTextAreasScriptsAndStylesWithTheirAttributes) {
  using V = std::vector<Seg>;
  const auto elements = [](std::string_view text) {
    return SplitToVector(text, TProtection::Elements);
  };
  EXPECT_EQ(elements("a<pre class=\"x\">  b  </pre >c"),
            (V{{"a", false}, {"<pre class=\"x\">  b  </pre >", true}, {"c", false}}));
  EXPECT_EQ(SplitToVector("<pre class=x>  b  </pre>", TProtection::StrictPre),
            (V{{"<pre class=x>  b  </pre>", false}}));
  // Any letter case and tag white space; the closing tag names the same element.
  EXPECT_EQ(elements("<SCRIPT type=x>if (a)\n  b;</style></Script\t\r\n>c"),
            (V{{"<SCRIPT type=x>if (a)\n  b;</style></Script\t\r\n>", true}, {"c", false}}));
  // Nothing inside a protected element opens another one.
  EXPECT_EQ(elements("<textarea><pre> x </pre></textarea><p>"),
            (V{{"<textarea><pre> x </pre></textarea>", true}, {"<p>", false}}));
  EXPECT_EQ(elements("<pre>a<pre>b</pre>c</pre>"),
            (V{{"<pre>a<pre>b</pre>", true}, {"c</pre>", false}}));
  EXPECT_EQ(elements("<Style/> a"), (V{{"<Style/> a", true}}));  // to the end of the text
  // Longer names, a vertical tab, or nothing after the name open nothing.
  for (const char* text : {"<prefix> a </prefix>", "<scripts> a", "<pre\v> a", "a <pre"}) {
    EXPECT_EQ(elements(text), (V{{text, false}})) << text;
  }
  EXPECT_EQ(elements("<script>a</script\v>b"), (V{{"<script>a</script\v>b", true}}));
}

}  // namespace
}  // namespace quorvane
