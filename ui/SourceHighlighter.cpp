#include "ui/SourceHighlighter.h"

#include <QEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// How many characters are scanned for states before a paint, right after a change, and in
// each later turn of the event loop. A quarter of a megabyte in lines of a few dozen characters
// takes some 8 ms, so that a keystroke that meets the following of states is never slow.
constexpr qsizetype kPaintBudget = qsizetype{1} << 18;
constexpr qsizetype kChangeBudget = qsizetype{1} << 16;
constexpr qsizetype kStepBudget = qsizetype{1} << 18;
// A change of more blocks than this forgets the formats of all blocks in one pass.
constexpr int kForgetOneByOne = 1000;

// What a block was formatted with; it needs formatting again when its text or the state
// before it changed.
class THighlightMark : public QTextBlockUserData {
 public:
  int StartState = -1;
  int EndState = -1;
  int Revision = -1;
};

double Luminance(const QColor& color) {
  const auto linear = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
         0.0722 * linear(color.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A colour of the hue that reads well on `base`: darker on a light base, lighter on a dark
// one, until it has the contrast that text needs (4.5:1).
QColor Readable(int hue, double saturation, const QColor& base) {
  const bool darkBase = Luminance(base) < 0.18;
  for (int step = 0; step <= 25; ++step) {
    const double lightness = darkBase ? 0.55 + step * 0.018 : 0.42 - step * 0.016;
    const QColor color =
        QColor::fromHslF(static_cast<float>(hue) / 360.0f, static_cast<float>(saturation),
                         static_cast<float>(std::clamp(lightness, 0.0, 1.0)));
    if (Contrast(color, base) >= 4.5) {
      return color;
    }
  }
  return darkBase ? QColor(Qt::white) : QColor(Qt::black);
}

int HueOf(const QColor& color, int fallback) {
  const int hue = color.hslHue();
  return hue < 0 || color.hslSaturation() < 40 ? fallback : hue;
}

}  // namespace

TSourceHighlighter::TSourceHighlighter(QPlainTextEdit& edit) : QObject(&edit), edit_(edit) {
  followTimer_.setSingleShot(true);
  followTimer_.setInterval(0);
  connect(&followTimer_, &QTimer::timeout, this, &TSourceHighlighter::FollowLater);
  releaseTimer_.setSingleShot(true);
  releaseTimer_.setInterval(0);
  connect(&releaseTimer_, &QTimer::timeout, this, &TSourceHighlighter::ReleaseGlyphs);
  TakePalette();
  edit_.installEventFilter(this);
  edit_.viewport()->installEventFilter(this);
  Attach(edit_.document());
}

QTextCharFormat TSourceHighlighter::FormatOf(THtmlToken kind, const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  QTextCharFormat format;
  switch (kind) {
    case THtmlToken::Tag:
      format.setForeground(Readable(HueOf(palette.color(QPalette::Link), 220), 0.85, base));
      break;
    case THtmlToken::AttributeName:
      format.setForeground(Readable(HueOf(palette.color(QPalette::LinkVisited), 290), 0.6, base));
      break;
    case THtmlToken::AttributeValue:
      format.setForeground(Readable(130, 0.7, base));
      break;
    case THtmlToken::Entity:
      format.setForeground(Readable(25, 0.85, base));
      break;
    case THtmlToken::Comment:
      format.setForeground(Readable(0, 0.0, base));
      format.setFontItalic(true);
      break;
    case THtmlToken::Directive:
      format.setForeground(Readable(340, 0.75, base));
      format.setFontWeight(QFont::Bold);
      break;
    case THtmlToken::DeletedBlock:
      format.setForeground(Readable(0, 0.0, base));
      format.setFontStrikeOut(true);
      break;
  }
  return format;
}

void TSourceHighlighter::TakePalette() {
  for (size_t kind = 0; kind < formats_.size(); ++kind) {
    formats_[kind] = FormatOf(static_cast<THtmlToken>(kind), edit_.palette());
  }
}

void TSourceHighlighter::Attach(QTextDocument* document) {
  if (document == document_) {
    return;
  }
  if (document_ != nullptr) {
    disconnect(document_, nullptr, this, nullptr);
  }
  document_ = document;
  statesKnownBefore_ = 0;
  blockCount_ = document_->blockCount();
  connect(document_, &QTextDocument::contentsChange, this, &TSourceHighlighter::ContentsChange);
}

void TSourceHighlighter::SetEnabled(bool enabled) {
  if (enabled == enabled_) {
    return;
  }
  enabled_ = enabled;
  if (!enabled_) {
    followTimer_.stop();
    releaseTimer_.stop();
    leaving_.clear();
    cached_.clear();
    ForgetFormats(true);
  }
  edit_.viewport()->update();
}

bool TSourceHighlighter::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_.viewport() && event->type() == QEvent::Paint) {
    FormatVisibleBlocks();
  } else if (watched == &edit_ && event->type() == QEvent::PaletteChange) {
    TakePalette();
    ForgetFormats(false);
  }
  return QObject::eventFilter(watched, event);
}

void TSourceHighlighter::ContentsChange(int position, int removed, int added) {
  const int count = document_->blockCount();
  const int shift = count - blockCount_;
  blockCount_ = count;
  if (removed == 0 && added == 0) {
    return;
  }
  QTextBlock firstBlock = document_->findBlock(position);
  if (!firstBlock.isValid()) {
    firstBlock = document_->lastBlock();
  }
  QTextBlock lastBlock = document_->findBlock(position + added);
  if (!lastBlock.isValid()) {
    lastBlock = document_->lastBlock();
  }
  const int first = firstBlock.blockNumber();
  const int last = lastBlock.blockNumber();
  ForgetChangedFormats(firstBlock, last - first);
  if (first >= statesKnownBefore_) {
    return;
  }
  // The states that were known after the change still hold where the state before them
  // comes out as it was.
  const int knownBefore = statesKnownBefore_ + shift;
  statesKnownBefore_ = first;
  if (!enabled_ || position + added - firstBlock.position() > kChangeBudget) {
    return;
  }
  int state = first == 0 ? THtmlHighlightRules::kTextState : firstBlock.previous().userState();
  qsizetype budget = kChangeBudget;
  int number = first;
  for (QTextBlock block = firstBlock; block.isValid() && budget > 0;
       block = block.next(), ++number) {
    const int before = block.userState();
    // A block that was formatted is most likely in view: formatted now, before the editor lays
    // it out again for the change, it is laid out only once.
    state = block.userData() != nullptr ? FormatBlock(block, state)
                                        : THtmlHighlightRules::Scan(block.text(), state, nullptr);
    block.setUserState(state);
    budget -= block.length();
    statesKnownBefore_ = number + 1;
    if (number >= last && (state == before || number + 1 >= knownBefore)) {
      statesKnownBefore_ = std::max(statesKnownBefore_, knownBefore);
      break;
    }
  }
}

bool TSourceHighlighter::FollowStates(int last, qsizetype budget) {
  if (statesKnownBefore_ > last) {
    return true;
  }
  QTextBlock block = document_->findBlockByNumber(statesKnownBefore_);
  int state =
      statesKnownBefore_ == 0 ? THtmlHighlightRules::kTextState : block.previous().userState();
  int number = statesKnownBefore_;
  for (; block.isValid() && number <= last && budget > 0; block = block.next(), ++number) {
    state = THtmlHighlightRules::Scan(block.text(), state, nullptr);
    block.setUserState(state);
    budget -= block.length();
  }
  statesKnownBefore_ = number;
  return number > last || !block.isValid();
}

void TSourceHighlighter::FollowLater() {
  if (!enabled_) {
    return;
  }
  if (FollowStates(followUpTo_, kStepBudget)) {
    edit_.viewport()->update();
  } else {
    followTimer_.start();
  }
}

void TSourceHighlighter::FormatVisibleBlocks() {
  if (!enabled_) {
    return;
  }
  Attach(edit_.document());
  const QRect area = edit_.viewport()->rect();
  QTextBlock block = edit_.cursorForPosition(area.topLeft()).block();
  const int last = edit_.cursorForPosition(area.bottomLeft()).block().blockNumber();
  int number = block.blockNumber();
  if (!FollowStates(last, kPaintBudget)) {
    // Shown with the state guessed for now; the later turns correct it.
    followUpTo_ = last;
    followTimer_.start();
  }
  int state = THtmlHighlightRules::kTextState;
  std::vector<int> shown;
  for (; block.isValid() && number <= last; block = block.next(), ++number) {
    if (number > 0 && number - 1 < statesKnownBefore_) {
      state = block.previous().userState();
    }
    state = FormatBlock(block, state);
    // Formatted lines are shaped anew at every paint unless their layout keeps its glyphs.
    block.layout()->setCacheEnabled(true);
    shown.push_back(number);
  }
  if (shown != cached_) {
    leaving_.insert(leaving_.end(), cached_.begin(), cached_.end());
    cached_ = std::move(shown);
    releaseTimer_.start();
  }
}

void TSourceHighlighter::ReleaseGlyphs() {
  // Laid out again without the cache, a block that left the view gives its glyphs back.
  std::sort(leaving_.begin(), leaving_.end());
  leaving_.erase(std::unique(leaving_.begin(), leaving_.end()), leaving_.end());
  for (const int number : leaving_) {
    const QTextBlock block = document_->findBlockByNumber(number);
    if (block.isValid() && !std::binary_search(cached_.begin(), cached_.end(), number)) {
      block.layout()->setCacheEnabled(false);
      document_->markContentsDirty(block.position(), block.length());
    }
  }
  leaving_.clear();
}

int TSourceHighlighter::FormatBlock(QTextBlock block, int startState) {
  auto* mark = static_cast<THighlightMark*>(block.userData());
  if (mark != nullptr && mark->Revision == block.revision() && mark->StartState == startState) {
    return mark->EndState;
  }
  spans_.clear();
  const int endState = THtmlHighlightRules::Scan(block.text(), startState, &spans_);
  QList<QTextLayout::FormatRange> ranges;
  ranges.reserve(static_cast<qsizetype>(spans_.size()));
  for (const THtmlSpan& span : spans_) {
    ranges.push_back({span.Start, span.Length, formats_[static_cast<size_t>(span.Kind)]});
  }
  block.layout()->setFormats(ranges);
  document_->markContentsDirty(block.position(), block.length());
  if (mark == nullptr) {
    mark = new THighlightMark;  // the block owns its user data
    block.setUserData(mark);
  }
  mark->StartState = startState;
  mark->EndState = endState;
  mark->Revision = block.revision();
  return endState;
}

void TSourceHighlighter::ForgetChangedFormats(QTextBlock first, int count) {
  // Undo and redo give blocks back their former revisions, so a changed block's revision
  // alone does not tell that its formats are out of date.
  if (count > kForgetOneByOne) {
    ForgetFormats(false);
    return;
  }
  for (int i = 0; first.isValid() && i <= count; ++i, first = first.next()) {
    if (auto* mark = static_cast<THighlightMark*>(first.userData())) {
      mark->Revision = -1;
    }
  }
}

void TSourceHighlighter::ForgetFormats(bool clear) {
  for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
    if (block.userData() == nullptr) {
      continue;
    }
    if (clear) {
      block.layout()->setCacheEnabled(false);
      block.layout()->clearFormats();
      document_->markContentsDirty(block.position(), block.length());
    }
    block.setUserData(nullptr);
  }
}

}  // namespace quorvane
