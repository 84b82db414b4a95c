#include "editor/TextSearch.h"

#include <algorithm>

namespace quorvane {

std::optional<TTextSearch> TTextSearch::Compile(std::string_view searchText, bool matchCase) {
  std::optional<TPattern> pattern = TPattern::Compile(searchText);
  if (!pattern) {
    return std::nullopt;
  }
  return TTextSearch(std::move(*pattern), matchCase);
}

std::optional<TTextRange> TTextSearch::FindNext(std::string_view text, size_t from) const {
  const auto match = pattern_.Search(text, from, matchCase_);
  if (!match) {
    return std::nullopt;
  }
  return TTextRange{match->Position, match->Length};
}

std::optional<TTextRange> TTextSearch::FindPrevious(std::string_view text, size_t before) const {
  const auto match = pattern_.SearchBefore(text, before, matchCase_);
  if (!match) {
    return std::nullopt;
  }
  return TTextRange{match->Position, match->Length};
}

bool TTextSearch::IsMatch(std::string_view text, TTextRange range) const {
  if (range.Length == 0) {
    return false;
  }
  const std::optional<size_t> length = pattern_.MatchAt(text, range.Position, matchCase_);
  return length == range.Length;
}

std::vector<TTextRange> TTextSearch::PlanReplaceAll(std::string_view text, size_t from) const {
  std::vector<TTextRange> plan;
  while (from < text.size()) {
    const std::optional<TTextRange> match = FindNext(text, from);
    if (!match) {
      break;
    }
    plan.push_back(*match);
    from = match->Position + std::max<size_t>(match->Length, 1);
  }
  return plan;
}

}  // namespace quorvane
