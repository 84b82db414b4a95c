#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

// The texts of the loaded language files: sorted by identifier, no identifier twice, with a
// small cache of recent lookups in front of the binary search (forms ask for the same few texts
// many times while they are built).
class TTextTable {
 public:
  void Clear();

  // Adds the text unless its identifier is present: the first definition wins.
  void Insert(uint32_t id, std::string text);

  // The text of `id`, or nullptr. The pointer stays valid until the table changes.
  const std::string* Find(uint32_t id);

  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t Id;
    std::string Text;
  };
  struct CacheSlot {
    bool Used = false;
    uint32_t Id = 0;
    size_t Position = 0;
  };
  static constexpr size_t kCacheSlots = 5;

  void ClearCache();

  std::vector<Entry> entries_;
  std::array<CacheSlot, kCacheSlots> cache_{};
  size_t nextSlot_ = 0;
};

}  // namespace quorvane
