#pragma once

#include <QObject>
#include <QTextCharFormat>
#include <QTimer>
#include <array>
#include <vector>

#include "editor/HtmlHighlightRules.h"

class QPalette;
class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

namespace quorvane {

// Colours the HTML source of a plain-text editor as it comes into view. Only the blocks on
// screen are formatted; the state each block ends in (kept as the block's user state) is
// followed from the first block whose state is not known, a bounded stretch at a time, and the
// rest in later turns of the event loop. A change re-follows the states after it only until
// they agree with the ones before it, so typing on a large page never rescans it whole.
// Formatting changes no text: it is neither an undo step nor a change of the document.
class TSourceHighlighter : public QObject {
  Q_OBJECT

 public:
  explicit TSourceHighlighter(QPlainTextEdit& edit);

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }

  // The colour of each kind of source, readable on the palette's base colour.
  static QTextCharFormat FormatOf(THtmlToken kind, const QPalette& palette);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Attach(QTextDocument* document);
  void ContentsChange(int position, int removed, int added);
  // Follows the states of the blocks up to block `last` with at most `budget` characters of
  // scanning; true when they are all known.
  bool FollowStates(int last, qsizetype budget);
  void FollowLater();
  void FormatVisibleBlocks();
  void ReleaseGlyphs();
  // Formats the block as it reads from `startState` unless it already is; returns the state
  // it ends in.
  int FormatBlock(QTextBlock block, int startState);
  // Forgets what each block was formatted with; `clear` also takes its colours away.
  void ForgetFormats(bool clear);
  // Marks the `count` + 1 blocks from `first` on, which a change touched, for formatting.
  void ForgetChangedFormats(QTextBlock first, int count);
  void TakePalette();

  QPlainTextEdit& edit_;
  QTextDocument* document_ = nullptr;
  bool enabled_ = false;
  int statesKnownBefore_ = 0;  // the blocks before this one hold their end state
  int blockCount_ = 1;
  int followUpTo_ = 0;  // the last block the later turns follow the states to
  QTimer followTimer_;
  // The blocks in view keep their glyphs; those that left it give them back a moment later.
  std::vector<int> cached_;
  std::vector<int> leaving_;
  QTimer releaseTimer_;
  std::array<QTextCharFormat, 7> formats_;
  std::vector<THtmlSpan> spans_;
};

}  // namespace quorvane
