#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Recently used files, newest first.
class THistoryList {
 public:
  static constexpr int kDefaultLimit = 8;

  // An empty path does nothing; a path already listed (letters A to Z compared without regard
  // to case) moves to the front, so that the list stays newest first; any other goes to the
  // front, and entries beyond the limit drop off the end.
  void Add(const std::string& path);
  // Appends as loaded from the settings (oldest last), within the limit.
  void Append(const std::string& path);
  void Clear() { items_.clear(); }
  void SetLimit(int limit);
  int Limit() const { return limit_; }
  const std::vector<std::string>& Items() const { return items_; }

 private:
  void Trim();

  std::vector<std::string> items_;
  int limit_ = kDefaultLimit;
};

}  // namespace quorvane
