#include "engine/Compaction.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "engine/BlockScan.h"
#include "engine/LineBreaks.h"
#include "engine/TagMatcher.h"
#include "support/Pattern.h"
#include "support/Rounding.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

bool CollapseWhiteSpace(std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char c = text[i++];
    if (IsWhiteSpace(c)) {
      bool lineBreak = IsLineBreak(c);
      while (i < text.size() && IsWhiteSpace(text[i])) {
        if (!lineBreak && IsLineBreak(text[i])) {
          c = '\n';
          lineBreak = true;
        }
        ++i;
      }
    }
    out += c;
  }
  if (out.size() == text.size()) {
    return false;
  }
  text = std::move(out);
  return true;
}

uint32_t TrimAroundMatches(std::string& segment, bool& changed, std::string_view search,
                           TTrimSide side, TSearchKind kind, bool matchCase, uint32_t limit) {
  std::optional<TPattern> pattern;
  if (kind == TSearchKind::Pattern) {
    pattern = TPattern::Compile(search);
    if (!pattern) {
      return 0;
    }
  }
  // The text is always `out` followed by the untouched rest of `segment` from `in`: deletions
  // happen only where the two meet, and every search looks right of that point.
  const std::string_view s = segment;
  std::string out;
  out.reserve(s.size());
  size_t in = 0;
  uint32_t count = 0;
  bool removed = false;
  while ((limit == 0 || count < limit) && in < s.size()) {
    size_t at = std::string_view::npos;
    size_t length = search.size();
    if (pattern) {
      if (auto match = pattern->Search(s, in, matchCase)) {
        at = match->Position;
        length = match->Length;
      }
    } else {
      at = matchCase ? FindExact(s, search, in) : FindNoCase(s, search, in);
    }
    if (at == std::string_view::npos) {
      break;
    }
    ++count;
    out.append(s, in, at - in);
    if (side == TTrimSide::Before) {
      while (!out.empty() && IsWhiteSpace(out.back())) {
        out.pop_back();
        removed = true;
      }
    }
    out.append(s, at, length);
    in = at + length;
    if (side == TTrimSide::After) {
      while (in < s.size() && IsWhiteSpace(s[in])) {
        ++in;
        removed = true;
      }
    }
    if (length == 0 && in < s.size()) {
      out += s[in++];  // an empty match must not stop the scan from moving on
    }
  }
  if (removed) {
    out.append(s, in, std::string_view::npos);
    segment = std::move(out);
    changed = true;
  }
  return count;
}

namespace {

void Trim(std::string& segment, bool& changed) {
  size_t first = 0;
  while (first < segment.size() && IsWhiteSpace(segment[first])) {
    ++first;
  }
  size_t last = segment.size();
  while (last > first && IsWhiteSpace(segment[last - 1])) {
    --last;
  }
  if (first > 0 || last < segment.size()) {
    segment = segment.substr(first, last - first);
    changed = true;
  }
}

std::string StepText(TEngineServices& services, uint32_t id, std::string_view suffix) {
  return CapText(services.Texts.GetText(id), suffix);
}

// Each definition in sorted order, each search over the segment as the one before left it.
bool CompactStepByStep(std::string& segment, bool& changed, const TTagsCommaList& tags,
                       TEngineServices& services) {
  IProgress& progress = services.Progress;
  Trim(segment, changed);
  progress.SetAdditionalText(StepText(services, textid::kCollapsingWhiteSpace, "..."));
  if (CollapseWhiteSpace(segment)) {
    changed = true;
  }
  progress.SetAdditionalText(StepText(services, textid::kTrimmingBeforeClosingTags, "..."));
  TrimAroundMatches(segment, changed, "</", TTrimSide::Before, TSearchKind::Literal, true, 0);
  int8_t position = 0;
  const int count = tags.Count();
  for (int i = 0; i < count; ++i) {
    const std::string& name = tags.Names(i);
    const uint32_t limit = tags.MaxCount(i);
    progress.CheckMailslot();
    progress.SetAdditionalText(
        StepText(services, textid::kTreatingTagDefinition, " " + name + "..."));
    const uint32_t found = TrimAroundMatches(segment, changed, "<" + name, TTrimSide::Before,
                                             TSearchKind::Literal, false, limit);
    if (progress.SetSubProgress(position)) {
      return true;
    }
    if (found > 0) {
      TrimAroundMatches(segment, changed, "<" + name + "*>", TTrimSide::After, TSearchKind::Pattern,
                        false, limit);
      if (progress.SetSubProgress(position)) {
        return true;
      }
    }
    TrimAroundMatches(segment, changed, "</" + name + ">", TTrimSide::After, TSearchKind::Literal,
                      false, limit);
    position = static_cast<int8_t>(RoundHalfEven((i + 1) * 100.0 / count));
    if (progress.SetSubProgress(position)) {
      return true;
    }
  }
  return false;
}

}  // namespace

// One pass over the segment does all steps at once. With names free of white space, angle
// brackets and pattern syntax, no deletion can create or destroy an occurrence of any search
// (deletions only ever take white space next to a "<" or a ">"), so every occurrence can be
// decided where it stands; the limits count occurrences in text order as the searches would.
class TSegmentCompactor::TStreaming {
 public:
  TStreaming(const TPreparedTags& prepared, TEngineServices& services, bool lineBreaks)
      : tags_(prepared.Tags()),
        matcher_(*prepared.Matcher()),
        services_(services),
        collapsingText_(StepText(services, textid::kCollapsingWhiteSpace, "...")),
        lineBreaks_(lineBreaks) {
    for (const TTagDefinition& definition : tags_.Definitions()) {
      freshCounts_.push_back(TCounts{definition.MaxCount});
    }
  }

  bool Run(char* buffer, size_t begin, size_t end, size_t out, size_t& outEnd, bool& changed);

 private:
  struct TCounts {
    uint32_t limit = 0;               // the definition's MaxCount
    uint32_t opening = 0;             // occurrences of "<NAME" treated
    uint32_t pattern = 0;             // matches of "<NAME*>" treated
    uint32_t closing = 0;             // occurrences of "</NAME>" treated
    uint64_t patternGt = UINT64_MAX;  // gtCount_ when the last pattern match began
  };
  static bool Allows(uint32_t limit, uint32_t count) { return limit == 0 || count < limit; }
  void TreatLimitedOpening(uint32_t node, bool& deleteBefore);
  [[gnu::always_inline]] void AtOpeningBracket(std::string_view s, size_t i, bool& deleteBefore);
  void AtClosingTag(std::string_view s, size_t from);

  static constexpr size_t kReportInterval = size_t{1} << 20;

  const TTagsCommaList& tags_;
  const TTagMatcher& matcher_;
  std::vector<TCounts> freshCounts_;  // as each segment starts: the limits count per segment
  std::vector<TCounts> state_;
  TEngineServices& services_;
  const std::string collapsingText_;
  // Carriage returns become line feeds. A line break never decides whether white space goes,
  // so only the characters written out need it: each carriage return is an event.
  bool lineBreaks_;
  // The ">" characters passed that ended a pattern match: a match that begins is new when one
  // has passed since the definition's last match began.
  uint64_t gtCount_ = 0;
  bool deleteAfterNextGt_ = false;
};

// Definitions with a limit count their occurrences; the others all act alike.
inline void TSegmentCompactor::TStreaming::TreatLimitedOpening(uint32_t node, bool& deleteBefore) {
  for (const uint32_t d : matcher_.LimitedAt(node)) {
    TCounts& counts = state_[d];
    if (Allows(counts.limit, counts.opening)) {
      ++counts.opening;
      deleteBefore = true;
    }
    // The pattern search resumes after the ">" that ended its last match.
    if (Allows(counts.limit, counts.pattern) && counts.patternGt != gtCount_) {
      ++counts.pattern;
      counts.patternGt = gtCount_;
      deleteAfterNextGt_ = true;
    }
  }
}

inline void TSegmentCompactor::TStreaming::AtOpeningBracket(std::string_view s, size_t i,
                                                            bool& deleteBefore) {
  // A definition without a limit takes the white space before every "<NAME" and after the
  // ">" that ends it. A match of its pattern that is still open when another "<NAME" comes
  // has already asked for that ">", so the second one needs no counting.
  uint8_t ends = matcher_.RootEnds();
  auto reached = [&](uint32_t node, uint8_t nodeEnds) {
    if (nodeEnds & TTagMatcher::kEndsLimited) [[unlikely]] {
      TreatLimitedOpening(node, deleteBefore);
    }
    ends |= nodeEnds;
  };
  if (ends & TTagMatcher::kEndsLimited) [[unlikely]] {
    TreatLimitedOpening(matcher_.Root(), deleteBefore);
  }
  uint32_t node = matcher_.Root();
  size_t k = i + 1;
  bool goesOn = true;
  if (matcher_.HasTwoSteps() && s.size() - k >= 2) {
    const TTagMatcher::TTwoSteps& two = matcher_.TwoSteps(s[k], s[k + 1]);
    reached(two.First, two.FirstEnds);
    reached(two.Second, two.SecondEnds);
    node = two.Second;
    goesOn = two.SecondGoesOn != 0;
    k += 2;
  }
  for (; goesOn && k < s.size(); ++k) {
    node = matcher_.Child(node, s[k]);
    reached(node, matcher_.Ends(node));
    goesOn = matcher_.GoesOn(node);
  }
  if (ends & TTagMatcher::kEndsUnlimited) {
    deleteBefore = true;
    deleteAfterNextGt_ = true;
  }
  if (i + 1 < s.size() && s[i + 1] == '/') {
    AtClosingTag(s, i + 2);
    deleteBefore = true;  // white space before every closing tag goes
  }
}

// The name of a closing tag begins at `from`: one of the list, ended by ">", takes the white
// space after it.
inline void TSegmentCompactor::TStreaming::AtClosingTag(std::string_view s, size_t from) {
  uint32_t node = matcher_.Root();
  uint8_t ends = matcher_.RootEnds();
  for (size_t k = from; k < s.size(); ++k) {
    if (s[k] == '>') {
      if (ends & TTagMatcher::kEndsUnlimited) {
        deleteAfterNextGt_ = true;
      }
      if (ends & TTagMatcher::kEndsLimited) [[unlikely]] {
        for (const uint32_t d : matcher_.LimitedAt(node)) {
          if (Allows(state_[d].limit, state_[d].closing)) {
            ++state_[d].closing;
            deleteAfterNextGt_ = true;
          }
        }
      }
      return;
    }
    node = matcher_.Child(node, s[k]);
    if (node == TTagMatcher::kNone) {
      return;
    }
    ends = matcher_.Ends(node);
  }
}

namespace {
// The positions where the compaction has something to decide: "<", white space that more
// white space follows (a run to collapse) and carriage returns to turn always, ">" when a
// treated tag waits for its end. Bytes past the end of `segment` count as none.
struct TCompactionEvents {
  std::string_view segment;
  bool lineBreaks;
  scan::TMarks operator()(const scan::TBlock& block, size_t at) const {
    const uint64_t space = block.WhiteSpace();
    const size_t next = at + scan::kBlockSize;
    const uint64_t nextIsSpace = next < segment.size() && IsWhiteSpace(segment[next]);
    const uint64_t spaceFollows = (space >> 1) | (nextIsSpace << 63);
    const uint64_t opening = lineBreaks ? block.EqualEither('<', '\r') : block.Equal('<');
    return {opening | (space & spaceFollows), block.Equal('>'), space};
  }
};
}  // namespace

bool TSegmentCompactor::TStreaming::Run(char* buffer, size_t begin, size_t end, size_t out,
                                        size_t& outEnd, bool& changed) {
  state_ = freshCounts_;
  gtCount_ = 0;
  deleteAfterNextGt_ = false;
  IProgress& progress = services_.Progress;
  progress.SetAdditionalText(collapsingText_);
  // The output never gets ahead of the input, so it shares the buffer. Input from `in` on is
  // not written out yet; it is copied down only where something is deleted.
  const std::string_view s(buffer, end);
  size_t in = begin;
  while (in < end && IsWhiteSpace(s[in])) {
    ++in;
  }
  size_t w = out;
  auto writeUpTo = [&](size_t to, size_t resumeAt) {
    w = scan::MoveDown(buffer, w, in, to - in, end);
    in = resumeAt;
  };
  // Whether the byte before position `at` of the output-to-be is a (collapsed) white space.
  auto spaceBefore = [&](size_t at) {
    return at > in ? IsWhiteSpace(s[at - 1]) : w > out && IsWhiteSpace(buffer[w - 1]);
  };
  scan::TBitCursor events(s, TCompactionEvents{s, lineBreaks_});
  // The end of the white space from `at` on (`at` itself when there is none).
  auto spaceEnd = [&](size_t at) {
    size_t next = events.NextClearInKept(at);
    while (next < end && IsWhiteSpace(s[next])) {
      ++next;
    }
    return std::min(next, end);
  };
  size_t nextReport = begin + kReportInterval;
  for (size_t at = events.Next(in); at < end; at = events.Next(at, deleteAfterNextGt_)) {
    if (at >= nextReport) {
      nextReport += kReportInterval;
      progress.CheckMailslot();
      if (progress.SetSubProgress(static_cast<int8_t>((at - begin) * 100 / (end - begin)))) {
        writeUpTo(end, end);  // the rest follows, unchanged
        outEnd = w;
        changed = changed || outEnd - out != end - begin;
        return true;
      }
    }
    const char c = s[at];
    if (c == '<') {
      bool deleteBefore = false;
      AtOpeningBracket(s, at, deleteBefore);
      if (deleteBefore && spaceBefore(at)) {
        if (at > in) {
          writeUpTo(at - 1, at);
        } else {
          --w;
        }
      }
      ++at;
    } else if (c == '>') {
      // Only a ">" that ends a treated tag is asked for: the pattern searches resume after it.
      deleteAfterNextGt_ = false;
      ++gtCount_;
      const size_t next = spaceEnd(++at);
      if (next > at) {
        writeUpTo(at, next);
        at = next;
      }
    } else {
      const size_t next = spaceEnd(at);
      char kept = c;
      if (!IsLineBreak(c) && std::any_of(s.begin() + at + 1, s.begin() + next, IsLineBreak)) {
        kept = '\n';
      }
      if (kept == '\r' && lineBreaks_) {
        kept = '\n';
      }
      if (next == end) {
        writeUpTo(at, end);  // white space at the end goes
      } else if (next == at + 1) {
        buffer[at] = kept;  // a carriage return alone
      } else {
        buffer[at] = kept;
        writeUpTo(at + 1, next);
      }
      at = next;
    }
  }
  writeUpTo(end, end);
  if (w > out && IsWhiteSpace(buffer[w - 1])) {
    --w;  // a single white-space character at the end
  }
  outEnd = w;
  if (outEnd - out != end - begin) {
    changed = true;
  }
  return tags_.Count() > 0 && progress.SetSubProgress(100);
}

TPreparedTags::TPreparedTags(const TTagsCommaList& tags) : tags_(tags) {
  if (TTagMatcher::CanStream(tags.Definitions())) {
    matcher_ = std::make_unique<TTagMatcher>(tags.Definitions());
  }
}

TPreparedTags::~TPreparedTags() = default;

TSegmentCompactor::TSegmentCompactor(const TPreparedTags& tags, TEngineServices& services,
                                     bool lineBreaks)
    : tags_(tags), services_(services), lineBreaks_(lineBreaks) {
  if (tags.Matcher() != nullptr) {
    streaming_ = std::make_unique<TStreaming>(tags, services, lineBreaks);
  }
}

TSegmentCompactor::~TSegmentCompactor() = default;

bool TSegmentCompactor::Compact(char* buffer, size_t begin, size_t end, size_t out, size_t& outEnd,
                                bool& changed) {
  if (streaming_) {
    return streaming_->Run(buffer, begin, end, out, outEnd, changed);
  }
  std::string segment(buffer + begin, end - begin);
  if (lineBreaks_) {
    NormalizeLineBreaks(segment);
  }
  const bool cancelled = CompactStepByStep(segment, changed, tags_.Tags(), services_);
  std::memcpy(buffer + out, segment.data(), segment.size());  // it never grows
  outEnd = out + segment.size();
  return cancelled;
}

bool TSegmentCompactor::Compact(std::string& segment, bool& changed) {
  size_t outEnd = 0;
  const bool cancelled = Compact(segment.data(), 0, segment.size(), 0, outEnd, changed);
  segment.resize(outEnd);
  return cancelled;
}

bool CompactSegment(std::string& segment, bool& changed, const TTagsCommaList& tags,
                    TEngineServices& services) {
  const TPreparedTags prepared(tags);
  return TSegmentCompactor(prepared, services).Compact(segment, changed);
}

}  // namespace quorvane
