#include "engine/Compaction.h"

#include <array>
#include <cstring>
#include <optional>

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

// One pass over the segment does all steps at once. With names free of white space, angle
// brackets and pattern syntax, no deletion can create or destroy an occurrence of any search
// (deletions only ever take white space next to a "<" or a ">"), so every occurrence can be
// decided where it stands; the limits count occurrences in text order as the searches would.
class TSegmentCompactor::TStreaming {
 public:
  TStreaming(const TPreparedTags& prepared, TEngineServices& services)
      : tags_(prepared.Tags()),
        matcher_(*prepared.Matcher()),
        state_(tags_.Definitions().size()),
        services_(services) {}

  bool Run(char* buffer, size_t begin, size_t end, size_t out, size_t& outEnd, bool& changed);

 private:
  struct TCounts {
    uint32_t opening = 0;             // occurrences of "<NAME" treated
    uint32_t pattern = 0;             // matches of "<NAME*>" treated
    uint32_t closing = 0;             // occurrences of "</NAME>" treated
    uint64_t patternGt = UINT64_MAX;  // the ">" count when the last pattern match began
  };
  static bool Allows(uint32_t limit, uint32_t count) { return limit == 0 || count < limit; }
  // White space and the angle brackets: the characters the pass has to look at.
  static bool IsSpecial(char c) { return kSpecial[static_cast<unsigned char>(c)]; }
  static constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\r', '\n', '\t', '\f', '\v', '<', '>'}) {
      table[static_cast<unsigned char>(c)] = true;
    }
    return table;
  }();
  void AtOpeningBracket(std::string_view s, size_t i, bool& deleteBefore);

  static constexpr size_t kReportInterval = size_t{1} << 20;

  const TTagsCommaList& tags_;
  const TTagMatcher& matcher_;
  std::vector<TCounts> state_;
  TEngineServices& services_;
  uint64_t gtCount_ = 0;  // ">" characters passed so far
  bool deleteAfterNextGt_ = false;
};

void TSegmentCompactor::TStreaming::AtOpeningBracket(std::string_view s, size_t i,
                                                     bool& deleteBefore) {
  const auto& definitions = tags_.Definitions();
  auto treatOpening = [&](uint32_t node) {
    for (const uint32_t d : matcher_.DefinitionsAt(node)) {
      TCounts& counts = state_[d];
      const uint32_t limit = definitions[d].MaxCount;
      if (Allows(limit, counts.opening)) {
        ++counts.opening;
        deleteBefore = true;
      }
      // The pattern search resumes after the ">" that ended its last match.
      if (Allows(limit, counts.pattern) && counts.patternGt != gtCount_) {
        ++counts.pattern;
        counts.patternGt = gtCount_;
        deleteAfterNextGt_ = true;
      }
    }
  };
  uint32_t node = matcher_.Root();
  treatOpening(node);
  for (size_t k = i + 1; k < s.size(); ++k) {
    node = matcher_.Child(node, s[k]);
    if (node == TTagMatcher::kNone) {
      break;
    }
    treatOpening(node);
  }
  if (i + 1 >= s.size() || s[i + 1] != '/') {
    return;
  }
  deleteBefore = true;  // white space before every closing tag goes
  node = matcher_.Root();
  for (size_t k = i + 2; k < s.size(); ++k) {
    if (s[k] == '>') {
      for (const uint32_t d : matcher_.DefinitionsAt(node)) {
        if (Allows(definitions[d].MaxCount, state_[d].closing)) {
          ++state_[d].closing;
          deleteAfterNextGt_ = true;
        }
      }
      break;
    }
    node = matcher_.Child(node, s[k]);
    if (node == TTagMatcher::kNone) {
      break;
    }
  }
}

bool TSegmentCompactor::TStreaming::Run(char* buffer, size_t begin, size_t end, size_t out,
                                        size_t& outEnd, bool& changed) {
  std::fill(state_.begin(), state_.end(), TCounts{});  // the limits count per segment
  gtCount_ = 0;
  deleteAfterNextGt_ = false;
  IProgress& progress = services_.Progress;
  progress.SetAdditionalText(StepText(services_, textid::kCollapsingWhiteSpace, "..."));
  // The output never gets ahead of the input, so it may share the buffer.
  const std::string_view s(buffer, end);
  size_t w = out;
  size_t i = begin;
  while (i < end && IsWhiteSpace(s[i])) {
    ++i;
  }
  bool lastIsSpace = false;      // buffer[w - 1] is a collapsed white-space character
  bool deleteNextSpace = false;  // the last character is a ">" that ends a treated tag
  size_t nextReport = begin + kReportInterval;
  while (i < end) {
    if (i >= nextReport) {
      nextReport += kReportInterval;
      progress.CheckJobChannel();
      if (progress.SetSubProgress(static_cast<int8_t>((i - begin) * 100 / (end - begin)))) {
        std::memmove(buffer + w, buffer + i, end - i);  // the rest follows, unchanged
        outEnd = w + end - i;
        changed = changed || outEnd - out != end - begin;
        return true;
      }
    }
    // Ordinary characters are copied in a tight loop.
    if (!IsSpecial(s[i])) {
      do {
        buffer[w++] = s[i++];
      } while (i < end && !IsSpecial(s[i]));
      lastIsSpace = false;
      deleteNextSpace = false;
      continue;
    }
    char c = s[i];
    if (IsWhiteSpace(c)) {
      bool lineBreak = IsLineBreak(c);
      for (++i; i < end && IsWhiteSpace(s[i]); ++i) {
        if (!lineBreak && IsLineBreak(s[i])) {
          c = '\n';
          lineBreak = true;
        }
      }
      if (i < end && !deleteNextSpace) {
        buffer[w++] = c;
        lastIsSpace = true;
      }
      deleteNextSpace = false;
      continue;
    }
    bool endsTreatedTag = false;
    if (c == '<') {
      bool deleteBefore = false;
      AtOpeningBracket(s, i, deleteBefore);
      if (deleteBefore && lastIsSpace) {
        --w;
      }
    } else if (c == '>') {
      ++gtCount_;
      endsTreatedTag = deleteAfterNextGt_;
      deleteAfterNextGt_ = false;
    }
    buffer[w++] = c;
    ++i;
    lastIsSpace = false;
    deleteNextSpace = endsTreatedTag;
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

TSegmentCompactor::TSegmentCompactor(const TPreparedTags& tags, TEngineServices& services)
    : tags_(tags), services_(services) {
  if (tags.Matcher() != nullptr) {
    streaming_ = std::make_unique<TStreaming>(tags, services);
  }
}

TSegmentCompactor::~TSegmentCompactor() = default;

bool TSegmentCompactor::Compact(char* buffer, size_t begin, size_t end, size_t out, size_t& outEnd,
                                bool& changed) {
  if (streaming_) {
    return streaming_->Run(buffer, begin, end, out, outEnd, changed);
  }
  std::string segment(buffer + begin, end - begin);
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
