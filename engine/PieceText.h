#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A text made of pieces of other texts that stay where they are (the document, included files,
// messages), so that replacing a range moves no bytes: each byte is copied once, when the text
// is finally written out. Positions count bytes from 0; reading is quickest in text order.
class TPieceText {
 public:
  TPieceText() = default;
  // A text of one piece; `bytes` must outlive every text that holds it.
  explicit TPieceText(std::string_view bytes);

  size_t Size() const { return size_; }
  char At(size_t pos) const;
  // The first `c` at or after `from`, or npos.
  size_t Find(char c, size_t from) const;
  // The same for "#", remembering for each piece where its first one is, so that searching a
  // text again skips every piece without one at once.
  size_t FindHash(size_t from) const;
  // Whether the text holds all of `what` at `pos`.
  bool Holds(size_t pos, std::string_view what) const;
  std::string Copy(size_t pos, size_t length) const;

  // Replaces [from, to) by the pieces of `with`.
  void Replace(size_t from, size_t to, TPieceText&& with);
  void AppendTo(std::string& out) const;

 private:
  static constexpr size_t kUnknown = static_cast<size_t>(-1);
  struct TPiece {
    const char* data;
    size_t size;
    mutable size_t firstHash;  // its offset, `size` when there is none, kUnknown until sought
  };

  // The index of the piece that holds `pos` (< Size()).
  size_t Locate(size_t pos) const;
  // The start of piece `index`, working out the starts before it that a replacement made stale.
  size_t StartOf(size_t index) const;
  // Makes a piece begin at `pos`; returns its index (the number of pieces for the end).
  size_t SplitAt(size_t pos);
  size_t FirstHash(const TPiece& piece) const;
  // The first `c` at or after `from`; `remembered`: through the pieces' first "#".
  size_t Search(char c, size_t from, bool remembered) const;

  std::vector<TPiece> pieces_;
  // The position of each piece; only the first `knownStarts_` entries are up to date.
  mutable std::vector<size_t> starts_;
  mutable size_t knownStarts_ = 0;
  mutable size_t cursor_ = 0;  // the piece read last
  size_t size_ = 0;
};

}  // namespace quorvane
