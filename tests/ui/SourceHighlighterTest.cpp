// The highlighter on an editor: colours readable on light and dark palettes, and formatting
// that follows changes to the blocks in view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <cmath>

#include "ui/SourceHighlighter.h"

namespace quorvane {
namespace {

// The contrast ratio of two colours as the web's accessibility guidelines define it.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SourceHighlighter, ColoursReadOnLightAndDarkBases) {
  for (const QColor base : {QColor(Qt::white), QColor(0xFF, 0xFF, 0xE1), QColor(0x1E, 0x1E, 0x1E),
                            QColor(0x2B, 0x2B, 0x40)}) {
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    for (int kind = 0; kind <= static_cast<int>(THtmlToken::DeletedBlock); ++kind) {
      const QColor colour =
          TSourceHighlighter::FormatOf(static_cast<THtmlToken>(kind), palette).foreground().color();
      EXPECT_GE(Contrast(colour, base), 4.5) << kind << " on " << base.name().toStdString();
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
  edit.setPlainText(QString("<p class=\"x\">line</p>\n").repeated(5000));
  TSourceHighlighter highlighter(edit);
  highlighter.SetEnabled(true);
  edit.show();
  QApplication::processEvents();
  QTextDocument& document = *edit.document();
  const auto colour = [&edit](THtmlToken token) {
    return TSourceHighlighter::FormatOf(token, edit.palette()).foreground().color();
  };
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), colour(THtmlToken::Tag));
  EXPECT_TRUE(document.findBlockByNumber(4000).layout()->formats().isEmpty());
  EXPECT_FALSE(document.isModified());
  EXPECT_FALSE(document.isUndoAvailable());

  // An opened comment reaches the blocks below it, also those scrolled to later; undoing it
  // gives them their colours back.
  QTextCursor(&document).insertText("<!--");
  QApplication::processEvents();
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), colour(THtmlToken::Comment));
  edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
  }
  EXPECT_EQ(FirstColour(document.lastBlock().previous()), colour(THtmlToken::Comment));
  document.undo();
  edit.verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  EXPECT_EQ(FirstColour(document.findBlockByNumber(3)), colour(THtmlToken::Tag));

  highlighter.SetEnabled(false);
  EXPECT_TRUE(document.findBlockByNumber(3).layout()->formats().isEmpty());
}

}  // namespace
}  // namespace quorvane
