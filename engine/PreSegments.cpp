#include "engine/PreSegments.h"

#include <algorithm>

#include "support/Win1252.h"

namespace quorvane {

void TStringListPreSegments::Append(std::string_view text, bool isProtected) {
  segments_.push_back(Entry{std::string(text), isProtected});
}

std::vector<TSegmentBounds> FindPreSegments(std::string_view text) {
  std::vector<TSegmentBounds> bounds;
  size_t pos = 0;
  do {
    const size_t open = FindNoCase(text, "<PRE>", pos);
    if (open == std::string_view::npos) {
      bounds.push_back({pos, text.size(), false});
      break;
    }
    if (open > pos) {
      bounds.push_back({pos, open, false});
    }
    const size_t close = FindNoCase(text, "</PRE>", open + 5);
    const size_t end = close == std::string_view::npos ? text.size() : close + 6;
    bounds.push_back({open, end, true});
    pos = end;
  } while (pos < text.size());
  return bounds;
}

void TStringListPreSegments::Split(std::string_view text) {
  Clear();
  for (const TSegmentBounds& b : FindPreSegments(text)) {
    Append(text.substr(b.Begin, b.End - b.Begin), b.Protected);
  }
}

int TStringListPreSegments::UnprotectedCount() const {
  return static_cast<int>(std::count_if(segments_.begin(), segments_.end(),
                                        [](const Entry& e) { return !e.Protected; }));
}

std::string TStringListPreSegments::Join() const {
  size_t total = 0;
  for (const Entry& e : segments_) {
    total += e.Text.size();
  }
  std::string text;
  text.reserve(total);
  for (const Entry& e : segments_) {
    text += e.Text;
  }
  return text;
}

}  // namespace quorvane
