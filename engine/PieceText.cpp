#include "engine/PieceText.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

TPieceText::TPieceText(std::string_view bytes) {
  if (!bytes.empty()) {
    pieces_.push_back({bytes.data(), bytes.size(), kUnknown});
    starts_.push_back(0);
    size_ = bytes.size();
  }
}

size_t TPieceText::StartOf(size_t index) const {
  while (knownStarts_ <= index) {
    starts_[knownStarts_] =
        knownStarts_ == 0 ? 0 : starts_[knownStarts_ - 1] + pieces_[knownStarts_ - 1].size;
    ++knownStarts_;
  }
  return starts_[index];
}

size_t TPieceText::Locate(size_t pos) const {
  auto holds = [this, pos](size_t i) {
    return i < knownStarts_ && starts_[i] <= pos && pos < starts_[i] + pieces_[i].size;
  };
  if (holds(cursor_)) {
    return cursor_;
  }
  if (holds(cursor_ + 1)) {
    return ++cursor_;
  }
  while (knownStarts_ < pieces_.size() &&
         (knownStarts_ == 0 || starts_[knownStarts_ - 1] + pieces_[knownStarts_ - 1].size <= pos)) {
    StartOf(knownStarts_);
  }
  const auto known = starts_.begin() + static_cast<std::ptrdiff_t>(knownStarts_);
  cursor_ =
      static_cast<size_t>(std::upper_bound(starts_.begin(), known, pos) - starts_.begin()) - 1;
  return cursor_;
}

char TPieceText::At(size_t pos) const {
  const size_t i = Locate(pos);
  return pieces_[i].data[pos - starts_[i]];
}

namespace {
// The first `c` in `bytes` at or after `offset`; `size` when there is none.
size_t OffsetOf(const char* bytes, size_t size, char c, size_t offset) {
  const void* hit = std::memchr(bytes + offset, c, size - offset);
  return hit == nullptr ? size : static_cast<size_t>(static_cast<const char*>(hit) - bytes);
}
}  // namespace

size_t TPieceText::Find(char c, size_t from) const {
  return Search(c, from, false);
}

size_t TPieceText::FindHash(size_t from) const {
  return Search('#', from, true);
}

size_t TPieceText::FirstHash(const TPiece& piece) const {
  if (piece.firstHash == kUnknown) {
    piece.firstHash = OffsetOf(piece.data, piece.size, '#', 0);
  }
  return piece.firstHash;
}

size_t TPieceText::Search(char c, size_t from, bool remembered) const {
  if (from >= size_) {
    return std::string_view::npos;
  }
  size_t i = Locate(from);
  size_t offset = from - starts_[i];
  for (; i < pieces_.size(); ++i, offset = 0) {
    const TPiece& piece = pieces_[i];
    size_t at = remembered ? FirstHash(piece) : 0;
    if (!remembered || at < offset) {
      at = OffsetOf(piece.data, piece.size, c, offset);
    }
    if (at < piece.size) {
      return StartOf(i) + at;
    }
  }
  return std::string_view::npos;
}

bool TPieceText::Holds(size_t pos, std::string_view what) const {
  if (pos > size_ || what.size() > size_ - pos) {
    return false;
  }
  for (size_t k = 0; k < what.size(); ++k) {
    if (At(pos + k) != what[k]) {
      return false;
    }
  }
  return true;
}

std::string TPieceText::Copy(size_t pos, size_t length) const {
  std::string out;
  if (length == 0) {
    return out;
  }
  out.reserve(length);
  size_t i = Locate(pos);
  size_t offset = pos - starts_[i];
  for (; out.size() < length; ++i, offset = 0) {
    const TPiece& piece = pieces_[i];
    out.append(piece.data + offset, std::min(piece.size - offset, length - out.size()));
  }
  return out;
}

size_t TPieceText::SplitAt(size_t pos) {
  if (pos >= size_) {
    return pieces_.size();
  }
  const size_t i = Locate(pos);
  const size_t offset = pos - starts_[i];
  if (offset == 0) {
    return i;
  }
  TPiece& left = pieces_[i];
  TPiece right{left.data + offset, left.size - offset, kUnknown};
  if (left.firstHash != kUnknown && left.firstHash >= offset) {
    right.firstHash = left.firstHash - offset;
    left.firstHash = offset;  // none before the split
  }
  left.size = offset;
  pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(i) + 1, right);
  // Positions do not move when a piece is split, so every known start stays right.
  starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(i) + 1, pos);
  ++knownStarts_;
  return i + 1;
}

void TPieceText::Replace(size_t from, size_t to, TPieceText&& with) {
  const size_t first = SplitAt(from);
  const size_t last = SplitAt(to);
  const auto begin = pieces_.begin() + static_cast<std::ptrdiff_t>(first);
  pieces_.erase(begin, pieces_.begin() + static_cast<std::ptrdiff_t>(last));
  pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(first), with.pieces_.begin(),
                 with.pieces_.end());
  starts_.resize(pieces_.size());
  knownStarts_ = std::min(knownStarts_, first);
  cursor_ = 0;
  size_ = size_ - (to - from) + with.size_;
  with = TPieceText();
}

void TPieceText::AppendTo(std::string& out) const {
  out.reserve(out.size() + size_);
  for (const TPiece& piece : pieces_) {
    out.append(piece.data, piece.size);
  }
}

}  // namespace quorvane
