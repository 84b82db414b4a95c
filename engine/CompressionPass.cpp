#include "engine/CompressionPass.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/BlockScan.h"
#include "engine/Compaction.h"
#include "engine/Directives.h"
#include "engine/LineBreaks.h"
#include "engine/PreSegments.h"
#include "support/Rounding.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr uint32_t kStageTexts[] = {textid::kStageIncludes, textid::kStageLineBreaks,
                                    textid::kStageTagEndings, textid::kStageMarkedBlocks};

std::string StageName(TEngineServices& services, uint32_t id) {
  return CapText(services.Texts.GetText(id), "...");
}

// Compacts every unprotected segment in place; the last stage of the plan is shared among
// them.
bool CompactSegments(std::string& text, const TPreparedTags& tags, TProtection protection,
                     bool lineBreaks, int lastStage, bool& modified, TEngineServices& services) {
  IProgress& progress = services.Progress;
  const std::vector<TSegmentBounds> segments = FindProtectedSegments(text, protection);
  const auto unprotected = static_cast<int>(std::count_if(
      segments.begin(), segments.end(), [](const TSegmentBounds& b) { return !b.Protected; }));
  // A text made only of preformatted blocks keeps the plan as it is: nothing is compacted.
  if (unprotected > 0) {
    const auto weight = static_cast<uint8_t>(
        RoundHalfEven(static_cast<double>(progress.StageWeight(lastStage)) / unprotected));
    progress.SetStageWeight(lastStage, weight);
    for (int i = 1; i < unprotected; ++i) {
      progress.AddStage({}, weight);
    }
  }
  TSegmentCompactor compactor(tags, services, lineBreaks);
  char* const buffer = text.data();
  size_t out = 0;
  for (const TSegmentBounds& segment : segments) {
    if (segment.Protected) {
      bool found = false;
      out = lineBreaks ? MoveNormalizingLineBreaks(buffer, out, segment.Begin, segment.End, found)
                       : scan::MoveDown(buffer, out, segment.Begin, segment.End - segment.Begin,
                                        segment.End);
      modified = modified || found;
      continue;
    }
    bool changed = false;
    if (compactor.Compact(buffer, segment.Begin, segment.End, out, out, changed)) {
      return true;
    }
    modified = modified || changed;
    progress.NextStage();
  }
  text.resize(out);
  return false;
}

}  // namespace

namespace {

// The " />" endings of a text in order. The candidates of the block last looked at are kept, so
// that a text full of endings is looked at once; the text must stay as it is from the position
// asked for on.
class TEndingFinder {
 public:
  explicit TEndingFinder(std::string_view text) : text_(text) {}

  // The first ending at or after `from`; the text's size when there is none.
  size_t Next(size_t from) {
    const size_t size = text_.size();
    while (true) {
      if (from - base_ < scan::kBlockSize) {
        for (uint64_t rest = candidates_ & (~uint64_t{0} << (from - base_)); rest != 0;
             rest &= rest - 1) {
          const size_t at = base_ + scan::LowestBit(rest);
          if (text_[at + 1] == '/') {
            return at;
          }
        }
        from = base_ + scan::kBlockSize;
      }
      if (from >= size || size - from < 3) {
        return size;
      }
      base_ = scan::SkipToPairs(text_.data(), from, size, ' ', '>', 2);
      candidates_ = scan::PairsAt(text_.data() + base_, text_.data() + size, ' ', '>', 2);
      from = base_;
    }
  }

 private:
  std::string_view text_;
  size_t base_ = 0 - scan::kBlockSize;  // no block yet
  uint64_t candidates_ = 0;             // " ?>" places of the block at base_
};

// " />" endings become ">" and marked blocks go in one move of the text. The blocks are those
// of the text as the endings leave it: every "<!--DEL" stands there as it stands here, and a
// "DEL-->" there is one here or a "DEL--" before an ending that is shortened. From a block's
// opening on, the text is written out as if it stayed, so that its close need not be known
// ahead; when the close turns up, the output goes back to where the block began.
class TEndingsAndBlocks {
 public:
  // With `lineBreaksPending` the line breaks are still to be turned: carriage returns right
  // before a block become line feeds, so that none pairs with a line feed after the block.
  TEndingsAndBlocks(std::string& text, IProgress& progress, bool lineBreaksPending)
      : text_(text),
        buffer_(text.data()),
        size_(text.size()),
        progress_(progress),
        lineBreaksPending_(lineBreaksPending),
        endings_(text),
        open_(scan::Find(text_, kOpen, 0)) {}

  // Whether an ending was shortened with no cancel request, or a block deleted. A cancel
  // request, polled after each ending, ends the shortening; the blocks still go.
  bool Run() {
    size_t ending = endings_.Next(0);
    while (true) {
      if (!pending_ && open_ < ending) {
        BeginBlock();
      } else if (pending_ && plainClose_ < ending) {
        EndBlock(plainClose_ + kClose.size());
      } else if (ending < size_) {
        // Read before the move below, which may write over the bytes before the ending.
        const bool closes = pending_ &&
                            ending >= std::max(in_, open_ + kOpen.size()) + kCloseHead.size() &&
                            std::memcmp(buffer_ + ending - kCloseHead.size(), kCloseHead.data(),
                                        kCloseHead.size()) == 0;
        out_ = scan::MoveDown(buffer_, out_, in_, ending - in_, size_);
        buffer_[out_++] = '>';
        in_ = ending + kEndingSize;
        shortened_ = true;
        const bool cancel = progress_.CancelRequested();
        if (closes) {
          EndBlock(in_);
        }
        stopped_ = stopped_ || cancel;
        ending = cancel ? size_ : endings_.Next(in_);
      } else {
        break;
      }
    }
    out_ = scan::MoveDown(buffer_, out_, in_, size_ - in_, size_);
    text_.resize(out_);
    return (shortened_ && !stopped_) || deleted_;
  }

 private:
  static constexpr size_t kEndingSize = 3;  // " />"
  static constexpr std::string_view kOpen = "<!--DEL";
  static constexpr std::string_view kClose = "DEL-->";
  static constexpr std::string_view kCloseHead = "DEL--";  // a close with an ending after it
  static constexpr size_t kNone = std::string::npos;

  void BeginBlock() {
    out_ = scan::MoveDown(buffer_, out_, in_, open_ - in_, size_);
    in_ = open_;
    openOut_ = out_;
    pending_ = true;
    plainClose_ = scan::Find(text_, kClose, open_ + kOpen.size());
  }
  // The pending block ends before `end`: the output goes back to where it began.
  void EndBlock(size_t end) {
    out_ = openOut_;
    // Carriage returns right before the block each stand alone; as line feeds already they
    // cannot pair with a line feed after it.
    for (size_t k = out_; lineBreaksPending_ && k > 0 && buffer_[k - 1] == '\r'; --k) {
      buffer_[k - 1] = '\n';
    }
    in_ = end;
    pending_ = false;
    deleted_ = true;
    open_ = scan::Find(text_, kOpen, in_);
  }

  std::string& text_;
  char* const buffer_;
  const size_t size_;
  IProgress& progress_;
  const bool lineBreaksPending_;
  TEndingFinder endings_;
  // The input from `in_` on is as it was; the output ends at `out_`.
  size_t in_ = 0;
  size_t out_ = 0;
  size_t open_;                // the next block's opening, or the pending block's
  bool pending_ = false;       // a block has begun and its close has not turned up yet
  size_t openOut_ = 0;         // where the pending block begins in the output
  size_t plainClose_ = kNone;  // the first "DEL-->" that can close the pending block
  bool shortened_ = false;
  bool stopped_ = false;
  bool deleted_ = false;
};

}  // namespace

TStopReason CompressText(std::string& text, const std::string& fileName, const TTagsCommaList& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services) {
  return CompressText(text, fileName, TPreparedTags(tags), protection, stats, services);
}

TStopReason CompressText(std::string& text, const std::string& fileName, const TPreparedTags& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services) {
  IProgress& progress = services.Progress;
  bool modified = false;
  stats = {};
  for (const uint32_t id : kStageTexts) {
    progress.AddStage(StageName(services, id), 5);
  }
  const int lastStage = progress.AddStage({}, 80);
  progress.SetAdditionalText(StageName(services, textid::kStageIncludes));

  std::string expanded;
  if (const TStopReason stop = ExpandDirectives(text, expanded, fileName, modified, services);
      stop != TStopReason::None) {
    return stop;
  }
  // Every later step works in place, on the caller's text when there was nothing to expand.
  std::string& work = modified ? expanded : text;
  const size_t lengthBefore = work.size();

  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageLineBreaks));
  // The line breaks are turned while the segments are written out: the steps up to the split
  // find the same places either way, as none of their searches holds a line break. A cancel
  // at the step's first report leaves them as they are. The segments tell whether they met a
  // carriage return; one that a marked block takes along changes the text anyway.
  const bool lineBreaks =
      !work.empty() &&
      !progress.SetSubProgress(static_cast<int8_t>(RoundHalfEven(100.0 / work.size())));

  // The endings and the marked blocks go in one move of the text.
  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageTagEndings));
  modified = TEndingsAndBlocks(work, progress, lineBreaks).Run() || modified;
  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageMarkedBlocks));

  progress.NextStage();
  if (CompactSegments(work, tags, protection, lineBreaks, lastStage, modified, services)) {
    return TStopReason::Cancelled;
  }

  const size_t lengthAfter = work.size();
  stats.Modified = modified;
  stats.Percent =
      lengthBefore == 0
          ? 0
          : static_cast<uint8_t>(RoundHalfEven(
                (1.0 - static_cast<double>(lengthAfter) / static_cast<double>(lengthBefore)) *
                100.0));
  const size_t saved = lengthBefore - lengthAfter;
  stats.Saved = static_cast<int32_t>(
      std::min<size_t>(saved, static_cast<size_t>(std::numeric_limits<int32_t>::max())));
  if (&work != &text) {
    text = std::move(work);
  }
  return TStopReason::None;
}

}  // namespace quorvane
