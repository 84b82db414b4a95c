#include "engine/Compaction.h"

#include <algorithm>
#include <array>
#include <bit>
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
    progress.CheckJobChannel();
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

namespace {

// Single-bit masks: `bit` and every bit below it (all bits for bit 63), and the bits above it.
uint64_t UpTo(uint64_t bit) {
  return (bit << 1) - 1;
}
uint64_t Above(uint64_t bit) {
  return ~UpTo(bit);
}
int HighestBit(uint64_t mask) {
  return 63 - __builtin_clzll(mask);
}

// What one block of a segment holds; bytes past the segment hold none.
using TBlockMasks = scan::TMarkupMasks;

// Bytes that no tag name holds, so that a tag head ends at them: white space and angle
// brackets. Other control characters end heads too, but a key that runs past them still says
// the same.
uint64_t HeadEnd(const TBlockMasks& masks) {
  return masks.Space | masks.Opening | masks.Closing;
}

// The masks of a segment's blocks, classified a batch of blocks at a time ahead of the walk,
// which changes no byte past the block it is in. The block after the one asked for is
// classified too, where there is one.
class TMaskBatches {
 public:
  explicit TMaskBatches(std::string_view s) : s_(s) {}

  // The masks of the block at `base`, followed by those of the next block when it lies within
  // the text.
  const TBlockMasks* At(size_t base) {
    if (base - batchBase_ >= batchBytes_) [[unlikely]] {
      Fill(base);
    }
    return &masks_[(base - batchBase_) / scan::kBlockSize];
  }

 private:
  static constexpr size_t kBatch = 16;

  void Fill(size_t base) {
    batchBase_ = base;
    const size_t rest = s_.size() - base;
    const size_t whole = std::min(rest / scan::kBlockSize, kBatch + 1);
    scan::ClassifyMarkupBlocks(s_.data() + base, whole, masks_.data());
    const size_t blocks = std::min((rest + scan::kBlockSize - 1) / scan::kBlockSize, kBatch + 1);
    if (whole < blocks) {
      const char* const tail = s_.data() + base + whole * scan::kBlockSize;
      masks_[whole] = scan::ClassifyMarkup(scan::TBlock(tail, s_.data() + s_.size()));
    }
    batchBytes_ = std::min(blocks, kBatch) * scan::kBlockSize;
  }

  std::string_view s_;
  size_t batchBase_ = 0;
  size_t batchBytes_ = 0;  // none yet
  std::array<TBlockMasks, kBatch + 1> masks_;
};

// The part of the segment still to be written out, in the buffer it shares with the output:
// the output never gets ahead of the input. Input from `In` on is not written out yet; it is
// copied down only where something is deleted.
struct TInPlaceOutput {
  char* Buffer;
  size_t End;
  size_t In;
  size_t Out;

  // Writes the input up to `to` and goes on from `resumeAt`: what lies between goes.
  void WriteUpTo(size_t to, size_t resumeAt) {
    Out = scan::MoveDown(Buffer, Out, In, to - In, End);
    In = resumeAt;
  }
  // Whether every piece of the block at `base` can be copied a block at a time: the output
  // lags a block or more behind and a block can be read from anywhere in it.
  bool RoomFor(size_t base) const {
    return In - Out >= scan::kBlockSize && End - base >= 2 * scan::kBlockSize;
  }
  void WriteUpToWithRoom(size_t to, size_t resumeAt) {
    Out = scan::MoveDownWithRoom(Buffer, Out, In, to - In, End);
    In = resumeAt;
  }
  // Deletes the input byte at `at`, which was kept and may already be written out.
  void DropKept(size_t at) {
    if (at >= In) {
      WriteUpTo(at, at + 1);
    } else {
      --Out;  // it was the last byte written
    }
  }
};

// Writes out the input before each run of gone bytes of the block at `base` and skips the run.
template <bool kWithRoom>
void WriteKept(TInPlaceOutput& output, size_t base, uint64_t gone) {
  for (uint64_t rest = gone; rest != 0;) {
    // Adding its lowest bit carries through the lowest run and stops at the byte after it.
    const uint64_t past = rest + (rest & (0 - rest));
    const size_t from = base + scan::LowestBit(rest);
    const size_t to = base + (past != 0 ? scan::LowestBit(past) : scan::kBlockSize);
    if constexpr (kWithRoom) {
      output.WriteUpToWithRoom(from, to);
    } else {
      output.WriteUpTo(from, to);
    }
    rest &= past;
  }
}

}  // namespace

// What the "<" of a tag decides depends only on the bytes after it up to the first one that
// no tag name holds; pages repeat a few dozen such heads over and over, so the outcome of
// each is remembered. A head (its end included) that fits in sixteen bytes is its own key; a
// key that runs on to a later byte that no name holds stands for the same outcome.
class TTagHeads {
 public:
  static constexpr size_t kKeyBytes = 16;
  // The head's bytes, the first lowest, those after its end cleared; Low 0 for none.
  struct TKey {
    uint64_t Low = 0;
    uint64_t High = 0;
    bool operator==(const TKey&) const = default;
  };
  // What the "<" decides, as masks of all or no bits, ready to pick its bit of a block.
  struct alignas(32) TOutcome {
    TKey Key;
    uint64_t DeleteBefore = 0;
    uint64_t AskGt = 0;
  };

  TTagHeads() {
    // No head has sixteen bytes without an end: such a key marks a free entry, which
    // neither a head's key nor none can match.
    entries_.fill(TOutcome{{~uint64_t{0}, ~uint64_t{0}}});
  }

  // The key of the head at `p`, whose sixteen bytes are readable; none for a longer one.
  static TKey Key(const char* p) {
    if (const uint64_t ends = Ends(Word(p)); ends != 0) {
      return KeyEndingAt(p, scan::LowestBit(ends) / 8);
    }
    const uint64_t ends = Ends(Word(p + 8));
    return ends != 0 ? KeyEndingAt(p, 8 + scan::LowestBit(ends) / 8) : TKey{};
  }
  // The same for a head whose end is its byte `endAt`.
  static TKey KeyEndingAt(const char* p, int endAt) {
    if (endAt < 8) {
      return {Word(p) & LowBytes(endAt + 1), 0};
    }
    return endAt < 16 ? TKey{Word(p), Word(p + 8) & LowBytes(endAt - 7)} : TKey{};
  }
  // The same where `endsAfter` holds the ends of heads from the head's first byte on, as far
  // as they are known.
  static TKey KeyBefore(const char* p, uint64_t endsAfter) {
    return endsAfter != 0 ? KeyEndingAt(p, scan::LowestBit(endsAfter)) : Key(p);
  }
  // The key of the head after the "<" at `i`; none where the text ends too soon for one.
  static TKey KeyAt(std::string_view s, size_t i) {
    return s.size() - i > kKeyBytes ? Key(s.data() + i + 1) : TKey{};
  }

  const TOutcome* Find(const TKey& key) const {
    const TOutcome* const set = &entries_[Set(key) * kWays];
    return set[0].Key == key ? &set[0] : set[1].Key == key ? &set[1] : nullptr;
  }
  // Two heads that share a set both stay: the one remembered last comes first.
  void Remember(const TKey& key, bool deleteBefore, bool askGt) {
    TOutcome* const set = &entries_[Set(key) * kWays];
    set[1] = set[0];
    set[0] = {key, 0 - uint64_t{deleteBefore}, 0 - uint64_t{askGt}};
  }

 private:
  static uint64_t Word(const char* p) {
    uint64_t x = 0;
    std::memcpy(&x, p, sizeof x);
    if constexpr (std::endian::native == std::endian::big) {
      x = __builtin_bswap64(x);  // the first byte lowest
    }
    return x;
  }
  // The high bit of each byte of `x` that can end a head: a byte up to the space, "<" or ">",
  // which no name may hold. Exact up to the first one, which is all that is used (borrows only
  // go up).
  static uint64_t Ends(uint64_t x) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighs = 0x8080808080808080;
    auto zeros = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    return ((x - kOnes * 0x21) & ~x & kHighs) | zeros(x ^ (kOnes * '<')) | zeros(x ^ (kOnes * '>'));
  }
  // The lowest `n` bytes (1 to 8).
  static uint64_t LowBytes(int n) { return ~uint64_t{0} >> (64 - 8 * n); }

  // A set of two fills one cache line.
  static constexpr int kSetBits = 8;
  static constexpr size_t kWays = 2;
  static size_t Set(const TKey& key) {
    return ((key.Low + key.High) * 0x9E3779B97F4A7C15) >> (64 - kSetBits);
  }
  alignas(64) std::array<TOutcome, (size_t{1} << kSetBits) * kWays> entries_;
};

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
    if (matcher_.NamesAboveSpace()) {
      heads_ = std::make_unique<TTagHeads>();
    }
    const std::vector<TTagDefinition>& definitions = tags_.Definitions();
    for (uint32_t d = 0; d < definitions.size(); ++d) {
      state_.push_back(TCounts{definitions[d].MaxCount});
      if (definitions[d].MaxCount != 0) {
        limited_.push_back(d);
      }
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
  [[gnu::always_inline]] bool DecideAt(std::string_view s, size_t i);
  [[gnu::noinline]] bool DecideByWalk(std::string_view s, size_t i, const TTagHeads::TKey& key);
  void TreatLimitedOpening(uint32_t node, bool& deleteBefore);
  [[gnu::always_inline]] void AtOpeningBracket(std::string_view s, size_t i, bool& deleteBefore);
  void AtClosingTag(std::string_view s, size_t from);
  [[gnu::always_inline]] bool WalkKnownTags(std::string_view s, size_t base,
                                            const TBlockMasks* masks, uint64_t& deleteBefore,
                                            uint64_t& asked);
  void WalkTags(std::string_view s, size_t base, const TBlockMasks& masks, uint64_t& deleteBefore,
                uint64_t& asked);
  uint64_t Gone(const TBlockMasks& masks, uint64_t last, uint64_t deleteBefore, uint64_t asked);
  [[gnu::always_inline]] void WriteRunValues(char* block, const TBlockMasks& masks, uint64_t kept);

  static constexpr size_t kReportInterval = size_t{1} << 20;

  const TTagsCommaList& tags_;
  const TTagMatcher& matcher_;
  // The counts of the definitions; only those with a limit (`limited_`) count, anew in each
  // segment.
  std::vector<TCounts> state_;
  std::vector<uint32_t> limited_;
  TEngineServices& services_;
  const std::string collapsingText_;
  // Carriage returns become line feeds. A line break never decides whether white space goes,
  // so only the characters written out need it: each carriage return is an event.
  bool lineBreaks_;
  // Moves on whenever ">" characters that ended a pattern match have passed: a match that
  // begins is new when it has moved since the definition's last match began.
  uint64_t gtCount_ = 0;
  bool deleteAfterNextGt_ = false;
  // Outcomes of tag heads; none when a name holds a byte that could end a head.
  std::unique_ptr<TTagHeads> heads_;
  bool limitedSeen_ = false;  // a walk met a definition with a limit: its outcome may change
  // What a block hands on to the next: a ">" asked for as its last byte, the run after such a
  // ">" going on, white space as its last byte, and whether so far the run it ends inside
  // holds white space other than spaces, its first byte and its line breaks.
  uint64_t afterGtCarry_ = 0;
  uint64_t runCarry_ = 0;
  uint64_t spaceBefore_ = 0;
  uint64_t otherSpaceBefore_ = 0;
  char runFirst_ = ' ';
  bool runHasLineBreak_ = false;
  // A value written differs from the byte it took the place of: a carriage return that stays
  // became a line feed, a change that the length does not show.
  bool valueChanged_ = false;
};

// Definitions with a limit count their occurrences; the others all act alike.
inline void TSegmentCompactor::TStreaming::TreatLimitedOpening(uint32_t node, bool& deleteBefore) {
  limitedSeen_ = true;
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
        limitedSeen_ = true;
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

// Whether the "<" at `i` takes the white space before it; it may ask for the next ">".
inline bool TSegmentCompactor::TStreaming::DecideAt(std::string_view s, size_t i) {
  const TTagHeads::TKey key = TTagHeads::KeyAt(s, i);
  if (const TTagHeads::TOutcome* known = heads_ ? heads_->Find(key) : nullptr) [[likely]] {
    deleteAfterNextGt_ = deleteAfterNextGt_ || known->AskGt != 0;
    return known->DeleteBefore != 0;
  }
  return DecideByWalk(s, i, key);
}

// The walk through the tag matcher, remembered under `key` (none: not at all) when no limit
// took part in it.
bool TSegmentCompactor::TStreaming::DecideByWalk(std::string_view s, size_t i,
                                                 const TTagHeads::TKey& key) {
  const bool asked = deleteAfterNextGt_;
  deleteAfterNextGt_ = false;
  limitedSeen_ = false;
  bool before = false;
  AtOpeningBracket(s, i, before);
  if (heads_ && key.Low != 0 && !limitedSeen_) {
    heads_->Remember(key, before, deleteAfterNextGt_);
  }
  deleteAfterNextGt_ = deleteAfterNextGt_ || asked;
  return before;
}

// The same for a block whose every "<" starts a known head: their outcomes do not depend on
// the order, so the ">" asked for follow from the masks. Returns false, having changed
// nothing, for any other block.
inline bool TSegmentCompactor::TStreaming::WalkKnownTags(std::string_view s, size_t base,
                                                         const TBlockMasks* masks,
                                                         uint64_t& deleteBefore, uint64_t& asked) {
  // Every key of the block lies within the text, as far on as sixteen bytes past its end.
  if (!heads_ || s.size() - base <= scan::kBlockSize + TTagHeads::kKeyBytes) {
    return false;
  }
  // The ends of heads from the byte after the block's first on, with the next block's.
  const uint64_t ends = HeadEnd(masks[0]) >> 1;
  const uint64_t nextEnds = HeadEnd(masks[1]);
  uint64_t before = 0;
  uint64_t askers = 0;
  for (uint64_t openings = masks[0].Opening; openings != 0; openings &= openings - 1) {
    const int at = scan::LowestBit(openings);
    const uint64_t endsAfter = (ends >> at) | (nextEnds << (63 - at));
    const TTagHeads::TOutcome* known =
        heads_->Find(TTagHeads::KeyBefore(s.data() + base + at + 1, endsAfter));
    if (known == nullptr) {
      return false;
    }
    const uint64_t opening = openings & (0 - openings);
    before |= opening & known->DeleteBefore;
    askers |= opening & known->AskGt;
  }
  // The first ">" after a "<" that asks is asked for: a carry set off at each such "<" (and
  // at the block's start while a ">" is still awaited) runs up to the next ">", and out of
  // the block when there is none.
  const uint64_t notClosing = ~masks[0].Closing;
  uint64_t sum = 0;
  const bool awaited = __builtin_add_overflow(notClosing, askers, &sum) |
                       __builtin_add_overflow(sum, uint64_t{deleteAfterNextGt_}, &sum);
  asked = sum & masks[0].Closing;
  deleteAfterNextGt_ = awaited;
  gtCount_ += asked != 0;  // the pattern searches resume there; no limit looks in between
  deleteBefore = before;
  return true;
}

// Which "<" take the white space before them and which ">" the white space after them, in
// text order: a ">" is asked for only while a treated tag waits for its end.
void TSegmentCompactor::TStreaming::WalkTags(std::string_view s, size_t base,
                                             const TBlockMasks& masks, uint64_t& deleteBefore,
                                             uint64_t& asked) {
  uint64_t openings = masks.Opening;
  uint64_t closings = masks.Closing;
  while (true) {
    const uint64_t opening = openings & (0 - openings);
    if (deleteAfterNextGt_) {
      const uint64_t closing = closings & (0 - closings);
      if (closing != 0 && (opening == 0 || closing < opening)) {
        // The pattern searches resume after it.
        asked |= closing;
        deleteAfterNextGt_ = false;
        ++gtCount_;
        openings &= Above(closing);
        closings &= Above(closing);
        continue;
      }
    }
    if (opening == 0) {
      return;
    }
    const bool before = DecideAt(s, base + scan::LowestBit(opening));
    deleteBefore |= opening & (0 - uint64_t{before});
    openings &= Above(opening);
    closings &= Above(opening);
  }
}

// Every run of white space keeps one byte, its last, which takes the value the run collapses
// to: so a run that goes because of the "<" after it loses just the byte before the "<". The
// bytes that go are returned.
uint64_t TSegmentCompactor::TStreaming::Gone(const TBlockMasks& masks, uint64_t last,
                                             uint64_t deleteBefore, uint64_t asked) {
  uint64_t gone = (masks.Space & ~last) | (last & (deleteBefore >> 1));
  // The run after a ">" that was asked for goes: a carry from its first byte runs through it,
  // on into the next block when the run does.
  const uint64_t first = ((asked << 1) | afterGtCarry_) & masks.Space;
  uint64_t sum = 0;
  const bool carry = __builtin_add_overflow(masks.Space, first, &sum) |
                     __builtin_add_overflow(sum, runCarry_, &sum);
  gone |= (sum ^ masks.Space) & last;
  afterGtCarry_ = asked >> 63;
  runCarry_ = carry;
  return gone;
}

// Writes the collapsed value into the kept last byte of each run that needs one: the run's
// first byte, or a line feed when the run holds a line break but does not start with one
// (carriage returns turn into line feeds, too, when the line breaks are still to be turned).
inline void TSegmentCompactor::TStreaming::WriteRunValues(char* block, const TBlockMasks& masks,
                                                          uint64_t kept) {
  const uint64_t starts = masks.Space & ~((masks.Space << 1) | spaceBefore_);
  const uint64_t longRuns = masks.Space & ((masks.Space << 1) | spaceBefore_);
  // A run of spaces alone keeps the value it has. The runs that hold other white space do
  // from the first such byte on: a carry set off there (and at the block's start while the
  // run that goes on into it holds some) runs up through the rest of the run.
  const uint64_t sum = masks.Space + masks.OtherSpace + otherSpaceBefore_;
  const uint64_t notBlank =
      ((sum ^ masks.Space ^ masks.OtherSpace) | masks.OtherSpace) & masks.Space;
  otherSpaceBefore_ = notBlank >> 63;
  // A line break alone takes a value too while line breaks are turned: a carriage return
  // becomes a line feed.
  uint64_t needValue = kept & (longRuns | (lineBreaks_ ? masks.LineBreak : 0)) & notBlank;
  for (; needValue != 0; needValue &= needValue - 1) {
    const uint64_t lastBit = needValue & (0 - needValue);
    const uint64_t startsBefore = starts & UpTo(lastBit);
    char first = runFirst_;
    bool lineBreak = runHasLineBreak_;
    uint64_t run = UpTo(lastBit);
    if (startsBefore != 0) {
      const int start = HighestBit(startsBefore);
      first = block[start];
      lineBreak = false;
      run &= ~((uint64_t{1} << start) - 1);
    }
    lineBreak = lineBreak || (masks.LineBreak & run) != 0;
    if (lineBreak && (lineBreaks_ || !IsLineBreak(first))) {
      first = '\n';
    }
    char& kept = block[scan::LowestBit(lastBit)];
    valueChanged_ = valueChanged_ || kept != first;
    kept = first;
  }
  // A run that goes on into the next block: what its value depends on so far.
  if (masks.Space >> 63) {
    if (starts != 0) {
      const int start = HighestBit(starts);
      runFirst_ = block[start];
      runHasLineBreak_ = (masks.LineBreak >> start) != 0;
    } else {
      runHasLineBreak_ = runHasLineBreak_ || masks.LineBreak != 0;
    }
  }
  spaceBefore_ = masks.Space >> 63;
}

bool TSegmentCompactor::TStreaming::Run(char* buffer, size_t begin, size_t end, size_t out,
                                        size_t& outEnd, bool& changed) {
  for (const uint32_t d : limited_) {
    state_[d] = TCounts{state_[d].limit};
  }
  gtCount_ = 0;
  deleteAfterNextGt_ = false;
  afterGtCarry_ = 0;
  runCarry_ = 0;
  spaceBefore_ = 0;
  otherSpaceBefore_ = 0;
  valueChanged_ = false;
  IProgress& progress = services_.Progress;
  progress.SetAdditionalText(collapsingText_);
  const std::string_view s(buffer, end);
  size_t first = begin;
  while (first < end && IsWhiteSpace(s[first])) {
    ++first;  // white space at the start goes
  }
  TInPlaceOutput output{buffer, end, first, out};
  bool lastKeptSpace = false;  // the byte before the block: white space that stays so far
  TMaskBatches batches(s);
#if QUORVANE_AVX2_SCAN
  const bool wide = scan::HasAvx2();
#endif
  size_t nextReport = begin + kReportInterval;
  for (size_t base = first; base < end; base += scan::kBlockSize) {
    if (base >= nextReport) {
      nextReport += kReportInterval;
      progress.CheckJobChannel();
      if (progress.SetSubProgress(static_cast<int8_t>((base - begin) * 100 / (end - begin)))) {
        output.WriteUpTo(end, end);  // the rest follows, unchanged
        outEnd = output.Out;
        changed = changed || outEnd - out != end - begin || valueChanged_;
        return true;
      }
    }
    const TBlockMasks* const blockMasks = batches.At(base);
    const TBlockMasks& masks = blockMasks[0];
    const bool lastBlock = end - base <= scan::kBlockSize;
    const uint64_t nextSpace = !lastBlock && IsWhiteSpace(s[base + scan::kBlockSize]);
    // The last byte of each run; at the end of the segment a run goes altogether.
    const uint64_t last = masks.Space & ~((masks.Space >> 1) | (nextSpace << 63));
    const uint64_t trailing = lastBlock ? last & (uint64_t{1} << (end - base - 1)) : 0;
    uint64_t deleteBefore = 0;
    uint64_t asked = 0;
    if (!WalkKnownTags(s, base, blockMasks, deleteBefore, asked)) {
      WalkTags(s, base, masks, deleteBefore, asked);
    }
    if ((deleteBefore & 1) != 0 && lastKeptSpace) {
      output.DropKept(base - 1);
    }
    const uint64_t gone = Gone(masks, last, deleteBefore, asked) | trailing;
    WriteRunValues(buffer + base, masks, last & ~gone);
    lastKeptSpace = ((last & ~gone) >> 63) != 0;
#if QUORVANE_AVX2_SCAN
    if (wide && !lastBlock) {
      // Every block is written out as it is done, so nothing waits to be written from before it.
      output.Out = scan::KeepBytesWide(buffer, output.Out, base, ~gone);
      output.In = base + scan::kBlockSize;
      continue;
    }
#endif
    if (output.RoomFor(base)) {
      WriteKept<true>(output, base, gone);
    } else {
      WriteKept<false>(output, base, gone);
    }
  }
  output.WriteUpTo(end, end);
  outEnd = output.Out;
  if (outEnd - out != end - begin || valueChanged_) {
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
  if (lineBreaks_ && NormalizeLineBreaks(segment)) {
    changed = true;
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
