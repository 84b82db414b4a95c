#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

enum class TDiffKind : uint8_t { Same, Removed, Added };

// `Count` lines in a row that stay, go or come.
struct TDiffRun {
  TDiffKind Kind;
  size_t Count;
  bool operator==(const TDiffRun&) const = default;
};

// The lines that changed from `before` to `after`, each line given as a number that equal lines
// share. Runs of one kind are merged, and removals come before additions where both meet. The
// result is a shortest edit while that takes little work; where more lines differ than can be
// matched cheaply, the middle stretch between the common start and end is given as removed and
// added whole, so that even pages of millions of lines compare in a moment.
std::vector<TDiffRun> DiffLines(const std::vector<uint32_t>& before,
                                const std::vector<uint32_t>& after);

}  // namespace quorvane
