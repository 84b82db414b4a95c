#include "support/HistoryList.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {
bool SameAsciiNoCase(const std::string& a, const std::string& b) {
  auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return fold(x) == fold(y); });
}
}  // namespace

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
