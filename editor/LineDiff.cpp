#include "editor/LineDiff.h"

#include <algorithm>

namespace quorvane {

namespace {

// The work a shortest edit may take, in compared lines, and the memory its search keeps.
constexpr size_t kWorkBudget = 20'000'000;
constexpr size_t kMaxEdits = 1000;

class TRunBuilder {
 public:
  void Add(TDiffKind kind, size_t count) {
    if (count == 0) {
      return;
    }
    if (!runs_.empty() && runs_.back().Kind == kind) {
      runs_.back().Count += count;
    } else {
      runs_.push_back({kind, count});
    }
  }
  std::vector<TDiffRun> Take() { return std::move(runs_); }

 private:
  std::vector<TDiffRun> runs_;
};

// The greedy shortest-edit search over the middle stretches `a` and `b`: the furthest reach on
// each diagonal after d edits, kept for every d to walk the path back. Returns the edits from
// the end backwards as (kind, 1) steps and snakes, or nothing when more than `maxEdits` are
// needed.
struct TStretch {
  const uint32_t* Data;
  size_t Size;
  uint32_t operator[](size_t i) const { return Data[i]; }
};

bool ShortestEdit(TStretch a, TStretch b, size_t maxEdits, std::vector<TDiffRun>& backwards) {
  const long n = static_cast<long>(a.Size);
  const long m = static_cast<long>(b.Size);
  const long limit = static_cast<long>(maxEdits);
  std::vector<std::vector<long>> trace;
  std::vector<long> reach(2 * static_cast<size_t>(limit) + 3, 0);
  const long middle = limit + 1;
  long found = -1;
  for (long d = 0; d <= limit && found < 0; ++d) {
    for (long k = -d; k <= d; k += 2) {
      const bool down = k == -d || (k != d && reach[middle + k - 1] < reach[middle + k + 1]);
      long x = down ? reach[middle + k + 1] : reach[middle + k - 1] + 1;
      long y = x - k;
      while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) {
        ++x;
        ++y;
      }
      reach[middle + k] = x;
      if (x >= n && y >= m) {
        found = d;
        break;
      }
    }
    trace.emplace_back(reach.begin() + (middle - d - 1), reach.begin() + (middle + d + 2));
  }
  if (found < 0) {
    return false;
  }
  long x = n;
  long y = m;
  for (long d = found; d >= 0; --d) {
    const long k = x - y;
    long previousX = 0;
    long previousY = 0;
    bool down = false;
    if (d > 0) {
      // The reach before this edit: trace[d - 1] covers diagonals -d .. d.
      const std::vector<long>& before = trace[static_cast<size_t>(d - 1)];
      const auto at = [&](long diagonal) { return before[static_cast<size_t>(diagonal + d)]; };
      down = k == -d || (k != d && at(k - 1) < at(k + 1));
      const long previousK = down ? k + 1 : k - 1;
      previousX = at(previousK);
      previousY = previousX - previousK;
    }
    const long snakeStart = d > 0 ? (down ? previousX : previousX + 1) : 0;
    backwards.push_back({TDiffKind::Same, static_cast<size_t>(x - snakeStart)});
    if (d > 0) {
      backwards.push_back({down ? TDiffKind::Added : TDiffKind::Removed, 1});
    }
    x = previousX;
    y = previousY;
  }
  return true;
}

}  // namespace

std::vector<TDiffRun> DiffLines(const std::vector<uint32_t>& before,
                                const std::vector<uint32_t>& after) {
  size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
    ++prefix;
  }
  size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const TStretch a{before.data() + prefix, before.size() - prefix - suffix};
  const TStretch b{after.data() + prefix, after.size() - prefix - suffix};
  TRunBuilder runs;
  runs.Add(TDiffKind::Same, prefix);
  const size_t work = std::max<size_t>(a.Size + b.Size, 1);
  const size_t maxEdits = std::min({kMaxEdits, kWorkBudget / work, a.Size + b.Size});
  std::vector<TDiffRun> backwards;
  if (ShortestEdit(a, b, maxEdits, backwards)) {
    // Within a change, removals first: collect each stretch between two common runs.
    size_t removed = 0;
    size_t added = 0;
    for (auto run = backwards.rbegin(); run != backwards.rend(); ++run) {
      if (run->Kind == TDiffKind::Removed) {
        removed += run->Count;
      } else if (run->Kind == TDiffKind::Added) {
        added += run->Count;
      } else if (run->Count > 0) {
        runs.Add(TDiffKind::Removed, removed);
        runs.Add(TDiffKind::Added, added);
        removed = added = 0;
        runs.Add(TDiffKind::Same, run->Count);
      }
    }
    runs.Add(TDiffKind::Removed, removed);
    runs.Add(TDiffKind::Added, added);
  } else {
    runs.Add(TDiffKind::Removed, a.Size);
    runs.Add(TDiffKind::Added, b.Size);
  }
  runs.Add(TDiffKind::Same, suffix);
  return runs.Take();
}

}  // namespace quorvane
