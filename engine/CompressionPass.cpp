#include "engine/CompressionPass.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/Compaction.h"
#include "engine/Directives.h"
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
                     int lastStage, bool& modified, TEngineServices& services) {
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
  TSegmentCompactor compactor(tags, services);
  char* const buffer = text.data();
  size_t out = 0;
  for (const TSegmentBounds& segment : segments) {
    if (segment.Protected) {
      std::memmove(buffer + out, buffer + segment.Begin, segment.End - segment.Begin);
      out += segment.End - segment.Begin;
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

bool NormalizeLineBreaks(std::string_view source, std::string& out, IProgress& progress) {
  using Clock = std::chrono::steady_clock;
  // The clock is read once per block of characters; reports stay at most every 100 ms.
  constexpr size_t kClockInterval = 1 << 16;
  const size_t length = source.size();
  const char* const in = source.data();
  out.clear();
  out.reserve(length);
  bool found = false;
  auto lastReport = Clock::now() - std::chrono::milliseconds(1000);
  size_t i = 0;
  while (i < length) {
    if (Clock::now() - lastReport > std::chrono::milliseconds(100)) {
      const auto percent = static_cast<int8_t>(RoundHalfEven((i + 1) * 100.0 / length));
      if (progress.SetSubProgress(percent)) {
        out.assign(source);  // a cancel leaves the text as it was
        return found;
      }
      lastReport = Clock::now();
    }
    const size_t blockEnd = std::min(length, i + kClockInterval);
    while (i < blockEnd) {
      const void* hit = std::memchr(in + i, '\r', blockEnd - i);
      const size_t cr = hit ? static_cast<size_t>(static_cast<const char*>(hit) - in) : blockEnd;
      out.append(in + i, cr - i);
      i = cr;
      if (cr == blockEnd) {
        break;
      }
      found = true;
      out += '\n';
      i += (i + 1 < length && in[i + 1] == '\n') ? 2 : 1;
    }
  }
  return found;
}

bool NormalizeLineBreaks(std::string& text, IProgress& progress) {
  std::string out;
  const bool found = NormalizeLineBreaks(text, out, progress);
  text = std::move(out);
  return found;
}

namespace {
// Moves text[from, to) down to text[w]; the write position never passes the read position.
void MoveDown(std::string& text, size_t& w, size_t from, size_t to) {
  if (w != from) {
    std::memmove(text.data() + w, text.data() + from, to - from);
  }
  w += to - from;
}
}  // namespace

namespace {
// The next " />" at or after `from`, found through its "/", the rarest of its characters.
size_t FindTagEnding(const std::string& text, size_t from) {
  const char* const data = text.data();
  for (size_t i = from + 1; i + 1 < text.size();) {
    const void* hit = std::memchr(data + i, '/', text.size() - 1 - i);
    if (hit == nullptr) {
      break;
    }
    i = static_cast<size_t>(static_cast<const char*>(hit) - data);
    if (data[i + 1] == '>' && data[i - 1] == ' ') {
      return i - 1;
    }
    ++i;
  }
  return std::string::npos;
}
}  // namespace

bool ShortenTagEndings(std::string& text, IProgress& progress) {
  constexpr size_t kEndingLength = 3;  // " />"
  size_t at = FindTagEnding(text, 0);
  size_t w = 0;
  size_t in = 0;
  bool stopped = false;
  const bool any = at != std::string::npos;
  while (at != std::string::npos) {
    MoveDown(text, w, in, at);
    text[w++] = '>';
    in = at + kEndingLength;
    if (progress.CancelRequested()) {
      stopped = true;
      break;
    }
    at = FindTagEnding(text, in);
  }
  MoveDown(text, w, in, text.size());
  text.resize(w);
  return any && !stopped;
}

bool DeleteMarkedBlocks(std::string& text) {
  constexpr std::string_view kOpen = "<!--DEL";
  constexpr std::string_view kClose = "DEL-->";
  size_t w = 0;
  size_t in = 0;
  bool deleted = false;
  while (true) {
    const size_t open = FindExact(text, kOpen, in);
    if (open == std::string::npos) {
      break;
    }
    const size_t close = FindExact(text, kClose, open + kOpen.size());
    if (close == std::string::npos) {
      break;  // no later block can be closed either
    }
    MoveDown(text, w, in, open);
    in = close + kClose.size();
    deleted = true;
  }
  MoveDown(text, w, in, text.size());
  text.resize(w);
  return deleted;
}

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
  const size_t lengthBefore = modified ? expanded.size() : text.size();

  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageLineBreaks));
  // The working copy is made by this step; every later step works on it in place.
  std::string work;
  modified = NormalizeLineBreaks(modified ? expanded : text, work, progress) || modified;
  std::string().swap(expanded);

  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageTagEndings));
  modified = ShortenTagEndings(work, progress) || modified;

  progress.NextStage();
  progress.SetAdditionalText(StageName(services, textid::kStageMarkedBlocks));
  modified = DeleteMarkedBlocks(work) || modified;

  progress.NextStage();
  if (CompactSegments(work, tags, protection, lastStage, modified, services)) {
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
  text = std::move(work);
  return TStopReason::None;
}

}  // namespace quorvane
