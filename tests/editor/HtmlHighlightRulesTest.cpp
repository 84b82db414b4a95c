// The colouring rules of HTML source, line by line.
#include <gtest/gtest.h>

#include <QString>

#include "editor/HtmlHighlightRules.h"

namespace quorvane {
namespace {

// One letter per character: "." plain, "t" tag, "n" attribute name, "v" attribute value,
// "c" comment, "e" entity, "d" directive, "x" deleted block.
QString Kinds(const QString& line, int& state) {
  std::vector<THtmlSpan> spans;
  state = THtmlHighlightRules::Scan(line, state, &spans);
  QString kinds(line.size(), u'.');
  for (const THtmlSpan& span : spans) {
    for (int i = span.Start; i < span.Start + span.Length; ++i) {
      kinds[i] = QChar(u"tnvcedx"[static_cast<int>(span.Kind)]);
    }
  }
  return kinds;
}

QString Kinds(const QString& line) {
  int state = THtmlHighlightRules::kTextState;
  return Kinds(line, state);
}

TEST(HtmlHighlightRules, ColoursTagsAttributesValuesEntitiesAndComments) {
  EXPECT_EQ(Kinds(R"(<a href="x.htm" id='b' c=d>T&amp;&#228;&#xE4;</a>)"),
            "tt.nnnn.vvvvvvv.nn.vvv.n.vt.eeeeeeeeeeeeeeeeetttt");
  EXPECT_EQ(Kinds("<br/> <img src=a.png /> <!-- note --> x"),
            "ttttt.tttt.nnn.vvvvv.tt.ccccccccccccc..");
  // No tag, no entity: a lone "<", "&" or an unterminated reference.
  EXPECT_EQ(Kinds("a < b <3 & c &amp d &#; e"), QString(25, u'.'));
  // Comments, values and tags carry over lines; scanning without spans follows the same states.
  int state = THtmlHighlightRules::kTextState;
  int followed = THtmlHighlightRules::kTextState;
  const std::pair<const char*, const char*> lines[] = {{"x <!-- one", "..cccccccc"},
                                                       {"two --> <b", "ccccccc.tt"},
                                                       {"  class=\"a", "..nnnnn.vv"},
                                                       {"b\" >&lt;", "vv.teeee"}};
  for (const auto& [line, kinds] : lines) {
    EXPECT_EQ(Kinds(line, state), kinds) << line;
    followed = THtmlHighlightRules::Scan(QString(line), followed, nullptr);
    EXPECT_EQ(followed, state) << line;
  }
  EXPECT_EQ(state, THtmlHighlightRules::kTextState);
}

TEST(HtmlHighlightRules, MarksDirectivesAndDeletedBlocksAsTheCompressionFindsThem) {
  EXPECT_EQ(Kinds(R"(<#quorvane include="a.inc">x</#quorvane>)"),
            "dddddddddd.nnnnnnn.vvvvvvvd.dddddddddddd");
  // The name must end in white space (">" too for the closing tag) and is case-sensitive.
  EXPECT_EQ(Kinds("<#quorvanex> <#Quorvane >"), QString(25, u'.'));
  EXPECT_EQ(Kinds("<!--DEL-->b"), "xxxxxxxxxxx");  // "DEL-->" only counts after "<!--DEL"
  int state = THtmlHighlightRules::kTextState;
  EXPECT_EQ(Kinds("a<!--DEL draft -->", state), ".xxxxxxxxxxxxxxxxx");
  EXPECT_EQ(Kinds("<p>still DEL--><p>", state), "xxxxxxxxxxxxxxxttt");
  // Script and style content is left alone, but for deleted blocks.
  EXPECT_EQ(Kinds("<SCRIPT type=x>if (a<b && c) s='<p>';", state),
            "ttttttt.nnnn.vt......................");
  EXPECT_EQ(Kinds("<!--DEL y DEL--> t = \"&amp;\"</script><b>", state),
            "xxxxxxxxxxxxxxxx............tttttttttttt");
  EXPECT_EQ(Kinds("<style>p>a{}</style >", state), "ttttttt.....ttttttt.t");
  EXPECT_EQ(Kinds("<scripts>&amp;</scripts>"), "ttttttttteeeeetttttttttt");
}

}  // namespace
}  // namespace quorvane
