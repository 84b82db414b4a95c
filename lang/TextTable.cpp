#include "lang/TextTable.h"

#include <algorithm>
#include <utility>

namespace quorvane {

void TTextTable::Clear() {
  entries_.clear();
  ClearCache();
}

void TTextTable::ClearCache() {
  cache_.fill(CacheSlot{});
  nextSlot_ = 0;
}

void TTextTable::Insert(uint32_t id, std::string text) {
  if (entries_.empty() || id > entries_.back().Id) {
    entries_.push_back(Entry{id, std::move(text)});
    return;
  }
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), id,
                                   [](const Entry& entry, uint32_t key) { return entry.Id < key; });
  if (at != entries_.end() && at->Id == id) {
    return;
  }
  entries_.insert(at, Entry{id, std::move(text)});
  // Cached positions behind the new entry have moved.
  ClearCache();
}

const std::string* TTextTable::Find(uint32_t id) {
  for (const CacheSlot& slot : cache_) {
    if (slot.Used && slot.Id == id) {
      return &entries_[slot.Position].Text;
    }
  }
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), id,
                                   [](const Entry& entry, uint32_t key) { return entry.Id < key; });
  if (at == entries_.end() || at->Id != id) {
    return nullptr;
  }
  cache_[nextSlot_] = CacheSlot{true, id, static_cast<size_t>(at - entries_.begin())};
  nextSlot_ = (nextSlot_ + 1) % kCacheSlots;
  return &at->Text;
}

}  // namespace quorvane
