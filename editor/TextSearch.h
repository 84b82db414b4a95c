#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Pattern.h"

namespace quorvane {

// `Length` characters of a text from `Position` on: a match, or the stretch an edit replaces.
struct TTextRange {
  size_t Position = 0;
  size_t Length = 0;
  friend bool operator==(const TTextRange&, const TTextRange&) = default;
};

// The search of the find and replace dialogs on the editor's text, one byte per editor
// position: the next match, and the matches Replace All replaces, which the window then puts
// in as one undo step.
class TTextSearch {
 public:
  // Nothing when the search text is not a valid pattern.
  static std::optional<TTextSearch> Compile(std::string_view searchText, bool matchCase);

  // The first match that starts at or after `from`; there is no wrap-around.
  std::optional<TTextRange> FindNext(std::string_view text, size_t from) const;
  // The last match that starts before `before`.
  std::optional<TTextRange> FindPrevious(std::string_view text, size_t before) const;
  // Whether `range` is what the search finds at its start: Replace replaces a selection only
  // then, whether a literal text or a wildcard pattern found it.
  bool IsMatch(std::string_view text, TTextRange range) const;

  // The matches of repeated search-and-replace steps from `from` on, in order. Each step
  // searches on after the match it replaced, in the original text; an empty match moves on
  // by one position, so that the plan always ends.
  std::vector<TTextRange> PlanReplaceAll(std::string_view text, size_t from) const;

 private:
  TTextSearch(TPattern pattern, bool matchCase)
      : pattern_(std::move(pattern)), matchCase_(matchCase) {}

  TPattern pattern_;
  bool matchCase_;
};

}  // namespace quorvane
