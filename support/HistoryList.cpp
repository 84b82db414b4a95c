#include "support/HistoryList.h"

#include <algorithm>
#include <utility>

#include "support/Win1252.h"

namespace quorvane {

void THistoryList::Add(const std::string& path) {
  if (path.empty()) {
    return;
  }
  const auto found = std::find_if(items_.begin(), items_.end(), [&](const std::string& item) {
    return SameAsciiNoCase(item, path);
  });
  if (found != items_.end()) {
    std::rotate(items_.begin(), found, found + 1);
    return;
  }
  items_.insert(items_.begin(), path);
  Trim();
}

void THistoryList::Append(const std::string& path) {
  if (!path.empty() && static_cast<int>(items_.size()) < limit_) {
    items_.push_back(path);
  }
}

void THistoryList::SetLimit(int limit) {
  if (limit > 0) {
    limit_ = limit;
    Trim();
  }
}

void THistoryList::Trim() {
  if (static_cast<int>(items_.size()) > limit_) {
    items_.resize(static_cast<size_t>(limit_));
  }
}

}  // namespace quorvane
