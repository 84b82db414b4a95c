// The colouring of HTML source: the rules line by line, their colours on light and dark
// palettes, and the highlighter keeping up with changes in an editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <cmath>

#include "ui/HtmlHighlightRules.h"
#include "ui/SourceHighlighter.h"

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
  EXPECT_EQ(Kinds("<!DOCTYPE html>"), "ttttttttt.nnnnt");
}

TEST(HtmlHighlightRules, CarriesCommentsValuesAndTagsOverLines) {
  int state = THtmlHighlightRules::kTextState;
  EXPECT_EQ(Kinds("x <!-- one", state), "..cccccccc");
  EXPECT_EQ(Kinds("two --> <b", state), "ccccccc.tt");
  EXPECT_EQ(Kinds("  class=\"a", state), "..nnnnn.vv");
  EXPECT_EQ(Kinds("b\" >&lt;", state), "vv.teeee");
  EXPECT_EQ(state, THtmlHighlightRules::kTextState);
  // Scanning without spans follows the same states.
  int followed = THtmlHighlightRules::kTextState;
  for (const char* line : {"x <!-- one", "two --> <b", "  class=\"a"}) {
    followed = THtmlHighlightRules::Scan(QString(line), followed, nullptr);
  }
  int coloured = THtmlHighlightRules::kTextState;
  for (const char* line : {"x <!-- one", "two --> <b", "  class=\"a"}) {
    Kinds(line, coloured);
  }
  EXPECT_EQ(followed, coloured);
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
  EXPECT_EQ(state, THtmlHighlightRules::kTextState);
}

TEST(HtmlHighlightRules, LeavesScriptAndStyleContentAlone) {
  int state = THtmlHighlightRules::kTextState;
  EXPECT_EQ(Kinds("<SCRIPT type=x>if (a<b && c) s='<p>';", state),
            "ttttttt.nnnn.vt......................");
  EXPECT_EQ(Kinds("<!--DEL y DEL--> t = \"&amp;\"</script><b>", state),
            "xxxxxxxxxxxxxxxx............tttttttttttt");
  EXPECT_EQ(Kinds("<style>p>a{}</style >", state), "ttttttt.....ttttttt.t");
  EXPECT_EQ(Kinds("<scripts>&amp;</scripts>"), "ttttttttteeeeetttttttttt");
}

TEST(HtmlHighlightRules, ColoursReadOnLightAndDarkBases) {
  const auto contrast = [](const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
      const auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      };
      return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
  };
  for (const QColor base : {QColor(Qt::white), QColor(0xFF, 0xFF, 0xE1), QColor(0x1E, 0x1E, 0x1E),
                            QColor(0x2B, 0x2B, 0x40)}) {
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    for (int kind = 0; kind <= static_cast<int>(THtmlToken::DeletedBlock); ++kind) {
      SCOPED_TRACE(kind);
      const QColor colour =
          TSourceHighlighter::FormatOf(static_cast<THtmlToken>(kind), palette).foreground().color();
      EXPECT_GE(contrast(colour, base), 4.5) << base.name().toStdString();
    }
  }
}

// The first token's colour of each block as laid out, after the view has painted.
QColor FirstColour(const QTextBlock& block) {
  const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
  return formats.isEmpty() ? QColor() : formats.front().format.foreground().color();
}

TEST(SourceHighlighter, FollowsAChangeToTheBlocksInViewAndFormatsNothingElse) {
  QPlainTextEdit edit;
  edit.resize(400, 300);
  QString text;
  for (int i = 0; i < 5000; ++i) {
    text += "<p class=\"x\">line</p>\n";
  }
  edit.setPlainText(text);
  TSourceHighlighter highlighter(edit);
  highlighter.SetEnabled(true);
  edit.show();
  QApplication::processEvents();
  QTextDocument& document = *edit.document();
  const QColor tag =
      TSourceHighlighter::FormatOf(THtmlToken::Tag, edit.palette()).foreground().color();
  const QColor comment =
      TSourceHighlighter::FormatOf(THtmlToken::Comment, edit.palette()).foreground().color();
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), tag);
  EXPECT_TRUE(document.findBlockByNumber(4000).layout()->formats().isEmpty());
  EXPECT_FALSE(document.isModified());
  EXPECT_FALSE(document.isUndoAvailable());

  // An opened comment reaches the blocks below it, also those scrolled to later; undoing it
  // gives them their colours back.
  QTextCursor(&document).insertText("<!--");
  QApplication::processEvents();
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), comment);
  document.undo();
  QApplication::processEvents();
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), tag);
  document.redo();
  edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
  }
  EXPECT_EQ(FirstColour(document.lastBlock().previous()), comment);
  edit.verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  EXPECT_EQ(FirstColour(document.firstBlock()), comment);

  highlighter.SetEnabled(false);
  EXPECT_TRUE(document.lastBlock().previous().layout()->formats().isEmpty());
}

}  // namespace
}  // namespace quorvane
