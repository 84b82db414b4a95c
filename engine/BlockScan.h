#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>

// SSE2 is part of every x86-64 processor; QUORVANE_SCALAR_SCAN asks for the portable loops
// instead, so that the tests can hold both against the same results.
#if defined(__SSE2__) && !defined(QUORVANE_SCALAR_SCAN)
#define QUORVANE_SSE2_SCAN 1
#include <emmintrin.h>
// Where the processor has AVX2, asked at run time, the searches pass over the blocks that
// hold nothing for them 32 bytes a step; the blocks they stop at are looked at as before.
// QUORVANE_NO_AVX2_SCAN keeps to SSE2, so that the tests can hold that road too.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(QUORVANE_NO_AVX2_SCAN)
#define QUORVANE_AVX2_SCAN 1
#include <immintrin.h>
#endif
#endif

namespace quorvane::scan {

// Texts are classified 64 bytes at a time: bit k of a block's mask stands for its byte k.
inline constexpr size_t kBlockSize = 64;

inline int LowestBit(uint64_t mask) {
  return __builtin_ctzll(mask);
}

// 64 bytes of a text, compared all at once.
class TBlock {
 public:
  // The bytes from `p` on; those at or past `end` read as zero bytes, which no scan looks for.
  TBlock(const char* p, const char* end) {
    if (end - p >= static_cast<ptrdiff_t>(kBlockSize)) {
      Load(p);
    } else {
      char padded[kBlockSize] = {};
      std::memcpy(padded, p, static_cast<size_t>(end - p));
      Load(padded);
    }
  }

#if QUORVANE_SSE2_SCAN
  uint64_t Equal(char c) const {
    const __m128i wanted = _mm_set1_epi8(c);
    return Map([&](__m128i v) { return _mm_cmpeq_epi8(v, wanted); });
  }
  // Bytes equal to `a` or to `b`.
  uint64_t EqualEither(char a, char b) const {
    const __m128i wantedA = _mm_set1_epi8(a);
    const __m128i wantedB = _mm_set1_epi8(b);
    return Map([&](__m128i v) {
      return _mm_or_si128(_mm_cmpeq_epi8(v, wantedA), _mm_cmpeq_epi8(v, wantedB));
    });
  }
  // The ASCII letter `letter` in either case: the bytes that equal it with bit 0x20 set on
  // both sides.
  uint64_t EqualLetter(char letter) const {
    const __m128i lower = _mm_set1_epi8(static_cast<char>(letter | 0x20));
    const __m128i bit = _mm_set1_epi8(0x20);
    return Map([&](__m128i v) { return _mm_cmpeq_epi8(_mm_or_si128(v, bit), lower); });
  }
  // The white space other than the space: tab, line feed, vertical tab, form feed and
  // carriage return (9 to 13).
  uint64_t OtherWhiteSpace() const {
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i span = _mm_set1_epi8('\r' - '\t');
    return Map([&](__m128i v) {
      const __m128i fromTab = _mm_sub_epi8(v, tab);
      return _mm_cmpeq_epi8(_mm_min_epu8(fromTab, span), fromTab);
    });
  }

 private:
  void Load(const char* p) {
    for (int k = 0; k < 4; ++k) {
      v_[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    }
  }
  template <typename Compare>
  uint64_t Map(Compare compare) const {
    uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
      mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(compare(v_[k])))} << (16 * k);
    }
    return mask;
  }
  __m128i v_[4];
#else
  uint64_t Equal(char c) const {
    return Map([c](char b) { return b == c; });
  }
  uint64_t EqualEither(char a, char b) const {
    return Map([a, b](char c) { return c == a || c == b; });
  }
  uint64_t EqualLetter(char letter) const {
    return Map([letter](char b) { return (b | 0x20) == (letter | 0x20); });
  }
  uint64_t OtherWhiteSpace() const {
    return Map([](char b) { return b >= '\t' && b <= '\r'; });
  }

 private:
  void Load(const char* p) {
    std::memcpy(bytes_, p, kBlockSize);
  }
  template <typename Test>
  uint64_t Map(Test test) const {
    uint64_t mask = 0;
    for (size_t k = 0; k < kBlockSize; ++k) {
      mask |= uint64_t{test(bytes_[k])} << k;
    }
    return mask;
  }
  char bytes_[kBlockSize];
#endif
};

// What a walk marks in one block: positions always wanted, positions wanted only when asked,
// and a mask the walk's user keeps for the block without walking it.
struct TMarks {
  uint64_t Always = 0;
  uint64_t OnRequest = 0;
  uint64_t Kept = 0;
};

// Walks, in text order, the positions that `classify(block, at)` marks for the block at `at`.
// A block's marks are kept until the walk leaves it, so the bytes at and after the position
// last asked for must stay as they were.
template <typename Classify>
class TBitCursor {
 public:
  TBitCursor(std::string_view text, Classify classify) : text_(text), classify_(classify) {}

  // The first position at or after `from` whose bit in the kept mask is clear, as far as the
  // block last classified tells: past its end the answer is its end.
  size_t NextClearInKept(size_t from) const {
    if (from - base_ >= kBlockSize) {
      return from;
    }
    const uint64_t clear = ~(marks_.Kept >> (from - base_));
    return clear != 0 ? from + LowestBit(clear) : base_ + kBlockSize;
  }

  // The first marked position at or after `from`; the text's length when there is none.
  size_t Next(size_t from, bool onRequestToo = false) {
    while (true) {
      if (from - base_ < kBlockSize) {
        const uint64_t marks = marks_.Always | (marks_.OnRequest & (0 - uint64_t{onRequestToo}));
        if (const uint64_t rest = marks & (~uint64_t{0} << (from - base_)); rest != 0) {
          return base_ + LowestBit(rest);
        }
        from = base_ + kBlockSize;
      }
      if (from >= text_.size()) {
        return text_.size();
      }
      base_ = from;
      marks_ = classify_(TBlock(text_.data() + from, text_.data() + text_.size()), from);
    }
  }

 private:
  std::string_view text_;
  Classify classify_;
  size_t base_ = 0 - kBlockSize;  // no block yet: every position lies beyond it
  TMarks marks_;
};

// The positions of the block at `p` where the byte `first` stands and the byte `last` stands
// `distance` bytes further on. Bytes at or past `end` read as zero bytes.
inline uint64_t PairsAt(const char* p, const char* end, char first, char last, size_t distance) {
#if QUORVANE_SSE2_SCAN
  if (end - p >= static_cast<ptrdiff_t>(kBlockSize + distance)) {
    // Most blocks hold no pair: one test over the whole block lets them pass cheaply.
    const __m128i wantedFirst = _mm_set1_epi8(first);
    const __m128i wantedLast = _mm_set1_epi8(last);
    __m128i pairs[4];
    for (int k = 0; k < 4; ++k) {
      const char* const at = p + 16 * k;
      pairs[k] = _mm_and_si128(
          _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), wantedFirst),
          _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + distance)),
                         wantedLast));
    }
    const __m128i any =
        _mm_or_si128(_mm_or_si128(pairs[0], pairs[1]), _mm_or_si128(pairs[2], pairs[3]));
    if (_mm_movemask_epi8(any) == 0) {
      return 0;
    }
    uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
      mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(pairs[k]))} << (16 * k);
    }
    return mask;
  }
#endif
  const uint64_t firsts = TBlock(p, end).Equal(first);
  return end - p > static_cast<ptrdiff_t>(distance) ? firsts & TBlock(p + distance, end).Equal(last)
                                                    : 0;
}

#if QUORVANE_AVX2_SCAN
inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// From `from` on, a block at a time, the first block that holds `first` with `last` `distance`
// bytes on, or the first block that, with those bytes after it, does not lie wholly before
// `size`: the blocks that a search would find nothing in, passed over 32 bytes a step.
[[gnu::target("avx2")]] inline size_t SkipBlocksWithoutPairs(const char* data, size_t from,
                                                             size_t size, char first, char last,
                                                             size_t distance) {
  const __m256i wantedFirst = _mm256_set1_epi8(first);
  const __m256i wantedLast = _mm256_set1_epi8(last);
  size_t base = from;
  for (; base < size && size - base >= kBlockSize + distance; base += kBlockSize) {
    __m256i any = _mm256_setzero_si256();
    for (size_t half = 0; half < kBlockSize; half += 32) {
      const char* const at = data + base + half;
      const __m256i firsts =
          _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), wantedFirst);
      const __m256i lasts = _mm256_cmpeq_epi8(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + distance)), wantedLast);
      any = _mm256_or_si256(any, _mm256_and_si256(firsts, lasts));
    }
    if (!_mm256_testz_si256(any, any)) {
      break;
    }
  }
  return base;
}
#endif

// Where a search for `first` with `last` `distance` bytes on may start looking at blocks from
// `from` on: the blocks before it hold no such pair.
inline size_t SkipToPairs(const char* data, size_t from, size_t size, char first, char last,
                          size_t distance) {
#if QUORVANE_AVX2_SCAN
  if (HasAvx2()) {
    return SkipBlocksWithoutPairs(data, from, size, first, last, distance);
  }
#else
  (void)data, (void)size, (void)first, (void)last, (void)distance;
#endif
  return from;
}

// The first position at or after `from` where `needle` (two bytes or more, its first and last
// not zero) stands in `text`; npos when there is none.
inline size_t Find(std::string_view text, std::string_view needle, size_t from) {
  const size_t m = needle.size();
  if (from > text.size() || text.size() - from < m) {
    return std::string_view::npos;
  }
  const char* const data = text.data();
  const char* const end = data + text.size();
  const size_t last = text.size() - m;  // the last position where the needle fits
  from = SkipToPairs(data, from, text.size(), needle.front(), needle.back(), m - 1);
  for (size_t base = from; base <= last; base += kBlockSize) {
    uint64_t candidates = PairsAt(data + base, end, needle.front(), needle.back(), m - 1);
    for (; candidates != 0; candidates &= candidates - 1) {
      const size_t at = base + LowestBit(candidates);
      if (at <= last && std::memcmp(data + at + 1, needle.data() + 1, m - 2) == 0) {
        return at;
      }
    }
  }
  return std::string_view::npos;
}

// What markup a block holds, bit k for its byte k.
struct TMarkupMasks {
  uint64_t Space;       // the space and the white space of TBlock::OtherWhiteSpace
  uint64_t OtherSpace;  // the white space other than the space
  uint64_t LineBreak;   // "\r" and "\n"
  uint64_t Opening;     // "<"
  uint64_t Closing;     // ">"
};

inline TMarkupMasks ClassifyMarkup(const TBlock& block) {
  const uint64_t other = block.OtherWhiteSpace();
  return {other | block.Equal(' '), other, block.EqualEither('\r', '\n'), block.Equal('<'),
          block.Equal('>')};
}

#if QUORVANE_AVX2_SCAN
// The bytes of `v` whose high bit is set.
[[gnu::target("avx2")]] inline uint64_t WideBits(__m256i v) {
  return uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(v))};
}

// ClassifyMarkup for `count` whole blocks from `p` on, 32 bytes a step.
[[gnu::target("avx2")]] inline void ClassifyMarkupWide(const char* p, size_t count,
                                                       TMarkupMasks* masks) {
  const __m256i space = _mm256_set1_epi8(' ');
  const __m256i tab = _mm256_set1_epi8('\t');
  const __m256i span = _mm256_set1_epi8('\r' - '\t');
  const __m256i carriageReturn = _mm256_set1_epi8('\r');
  const __m256i lineFeed = _mm256_set1_epi8('\n');
  const __m256i opening = _mm256_set1_epi8('<');
  const __m256i closing = _mm256_set1_epi8('>');
  for (size_t b = 0; b < count; ++b) {
    TMarkupMasks m{};
    for (int half = 0; half < 2; ++half) {
      const __m256i v =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + kBlockSize * b + 32 * half));
      const __m256i fromTab = _mm256_sub_epi8(v, tab);
      const __m256i control = _mm256_cmpeq_epi8(_mm256_min_epu8(fromTab, span), fromTab);
      const int shift = 32 * half;
      m.Space |= WideBits(_mm256_or_si256(control, _mm256_cmpeq_epi8(v, space))) << shift;
      m.OtherSpace |= WideBits(control) << shift;
      m.LineBreak |= WideBits(_mm256_or_si256(_mm256_cmpeq_epi8(v, carriageReturn),
                                              _mm256_cmpeq_epi8(v, lineFeed)))
                     << shift;
      m.Opening |= WideBits(_mm256_cmpeq_epi8(v, opening)) << shift;
      m.Closing |= WideBits(_mm256_cmpeq_epi8(v, closing)) << shift;
    }
    masks[b] = m;
  }
}
#endif

// ClassifyMarkup for `count` whole blocks from `p` on.
inline void ClassifyMarkupBlocks(const char* p, size_t count, TMarkupMasks* masks) {
#if QUORVANE_AVX2_SCAN
  if (HasAvx2()) {
    ClassifyMarkupWide(p, count, masks);
    return;
  }
#endif
  for (size_t b = 0; b < count; ++b) {
    const char* const at = p + kBlockSize * b;
    masks[b] = ClassifyMarkup(TBlock(at, at + kBlockSize));
  }
}

// The places where the byte `first` is followed by one of up to four pairs of bytes: "<" and
// the first two letters of a tag name, say. The pairs compare as EqualLetter does, so ASCII
// letters match in either case and a few other bytes slip through: the caller checks each
// place. No byte given may be zero or a space, which the end of the text reads as.
class TTrigramFinder {
 public:
  TTrigramFinder(char first, std::initializer_list<std::pair<char, char>> follows) : first_(first) {
    for (const auto& [second, third] : follows) {
      if (count_ < follows_.size()) {
        follows_[count_++] = {static_cast<char>(second | 0x20), static_cast<char>(third | 0x20)};
      }
    }
#if QUORVANE_SSE2_SCAN
    // The bytes looked for, ready in every lane, so that no block has to spread them out again.
    for (size_t i = 0; i < count_; ++i) {
      wantedSecond_[i] = _mm_set1_epi8(follows_[i].first);
      wantedThird_[i] = _mm_set1_epi8(follows_[i].second);
    }
#endif
  }

  // The first place at or after `from`; npos when there is none.
  size_t Find(std::string_view text, size_t from) const {
    const char* const end = text.data() + text.size();
#if QUORVANE_AVX2_SCAN
    if (HasAvx2()) {
      from = FindWide(text.data(), from, text.size());
      if (from >= text.size()) {
        return std::string_view::npos;
      }
    }
#endif
    for (size_t base = from; base < text.size(); base += kBlockSize) {
      if (const uint64_t places = PlacesAt(text.data() + base, end); places != 0) {
        return base + LowestBit(places);
      }
    }
    return std::string_view::npos;
  }

 private:
#if QUORVANE_AVX2_SCAN
  // The blocks that lie wholly within the text with their two bytes after, 32 bytes a step:
  // the first block from `from` on that holds a place, or the first one not looked at.
  [[gnu::target("avx2")]] size_t FindWide(const char* data, size_t from, size_t size) const {
    const __m256i bit = _mm256_set1_epi8(0x20);
    const __m256i first = _mm256_set1_epi8(first_);
    __m256i second[kPairs];
    __m256i third[kPairs];
    for (size_t i = 0; i < count_; ++i) {
      second[i] = _mm256_set1_epi8(follows_[i].first);
      third[i] = _mm256_set1_epi8(follows_[i].second);
    }
    size_t base = from;
    for (; size - base >= kBlockSize + 2 && base < size; base += kBlockSize) {
      __m256i any = _mm256_setzero_si256();
      for (size_t half = 0; half < kBlockSize; half += 32) {
        const char* const at = data + base + half;
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i next =
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1)), bit);
        const __m256i afterNext =
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 2)), bit);
        __m256i pairs = _mm256_setzero_si256();
        for (size_t i = 0; i < count_; ++i) {
          pairs = _mm256_or_si256(pairs, _mm256_and_si256(_mm256_cmpeq_epi8(next, second[i]),
                                                          _mm256_cmpeq_epi8(afterNext, third[i])));
        }
        any = _mm256_or_si256(any, _mm256_and_si256(pairs, _mm256_cmpeq_epi8(here, first)));
      }
      if (!_mm256_testz_si256(any, any)) {
        break;
      }
    }
    return base;
  }
#endif
  uint64_t PlacesAt(const char* p, const char* end) const {
#if QUORVANE_SSE2_SCAN
    if (end - p >= static_cast<ptrdiff_t>(kBlockSize + 2)) {
      // Most blocks hold no place: one test over the whole block lets them pass cheaply.
      const __m128i bit = _mm_set1_epi8(0x20);
      const __m128i first = _mm_set1_epi8(first_);
      __m128i places[4];
      for (int k = 0; k < 4; ++k) {
        const char* const at = p + 16 * k;
        const __m128i second =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1)), bit);
        const __m128i third =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2)), bit);
        __m128i pairs = _mm_setzero_si128();
        for (size_t i = 0; i < count_; ++i) {
          pairs = _mm_or_si128(pairs, _mm_and_si128(_mm_cmpeq_epi8(second, wantedSecond_[i]),
                                                    _mm_cmpeq_epi8(third, wantedThird_[i])));
        }
        places[k] = _mm_and_si128(
            pairs, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), first));
      }
      const __m128i any =
          _mm_or_si128(_mm_or_si128(places[0], places[1]), _mm_or_si128(places[2], places[3]));
      if (_mm_movemask_epi8(any) == 0) {
        return 0;
      }
      uint64_t mask = 0;
      for (int k = 0; k < 4; ++k) {
        mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(places[k]))} << (16 * k);
      }
      return mask;
    }
#endif
    const TBlock second(std::min(p + 1, end), end);
    const TBlock third(std::min(p + 2, end), end);
    uint64_t pairs = 0;
    for (size_t i = 0; i < count_; ++i) {
      pairs |= second.EqualLetter(follows_[i].first) & third.EqualLetter(follows_[i].second);
    }
    return pairs & TBlock(p, end).Equal(first_);
  }

  char first_;
  std::array<std::pair<char, char>, 4> follows_{};
  size_t count_ = 0;
#if QUORVANE_SSE2_SCAN
  static constexpr size_t kPairs = 4;
  __m128i wantedSecond_[kPairs] = {};
  __m128i wantedThird_[kPairs] = {};
#endif
};

// Moves buffer[from, from + n) down to buffer[to] (to <= from) and returns to + n. With 16
// bytes or more between the two it copies in 16-byte steps, which may write up to 63 bytes
// past the copy's end: never further than `from`, on bytes already read. Bytes may be read up
// to `limit`.
inline size_t MoveDown(char* buffer, size_t to, size_t from, size_t n, size_t limit) {
  if (to == from) {
    return to + n;
  }
#if QUORVANE_SSE2_SCAN
  // Most pieces are short: one unconditional copy of a whole block spares a loop whose end
  // the processor cannot foresee.
  if (from - to >= kBlockSize && limit - from >= kBlockSize && n <= kBlockSize) {
    for (size_t k = 0; k < kBlockSize; k += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + from + k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + to + k), v);
    }
    return to + n;
  }
  // Long pieces go to the library's copy, which moves more than 16 bytes a step.
  constexpr size_t kLongPiece = 256;
  if (from - to >= 16 && limit - from >= n + 15 && n < kLongPiece) {
    for (size_t k = 0; k < n; k += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + from + k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + to + k), v);
    }
    return to + n;
  }
#else
  (void)limit;
#endif
  std::memmove(buffer + to, buffer + from, n);
  return to + n;
}

#if QUORVANE_AVX2_SCAN
// For each pattern of eight bits, the places of its set bits in order, one byte each: a byte
// shuffle that gathers the bytes of an 8-byte group that the bits keep.
inline constexpr auto kKeepShuffles = [] {
  std::array<uint64_t, 256> shuffles{};
  for (size_t bits = 0; bits < shuffles.size(); ++bits) {
    int kept = 0;
    for (int k = 0; k < 8; ++k) {
      if ((bits >> k) & 1) {
        shuffles[bits] |= uint64_t(k) << (8 * kept++);
      }
    }
  }
  return shuffles;
}();
inline constexpr auto kKeepCounts = [] {
  std::array<uint8_t, 256> counts{};
  for (size_t bits = 0; bits < counts.size(); ++bits) {
    counts[bits] = static_cast<uint8_t>(std::popcount(bits));
  }
  return counts;
}();

// Writes the bytes of the block at buffer[from] whose bit in `keep` is set to buffer[to] on
// (to <= from) and returns the end of what it wrote, without a branch. It writes up to seven
// bytes past that end, never past the block.
[[gnu::target("avx2")]] inline size_t KeepBytesWide(char* buffer, size_t to, size_t from,
                                                    uint64_t keep) {
  // Sixteen bytes a step: each half gathered by one shuffle, the second half written on where
  // the first one's kept bytes end.
  const __m128i secondHalf = _mm_set_epi64x(0x0808080808080808, 0);
  for (size_t group = 0; group < kBlockSize; group += 16) {
    const auto low = static_cast<uint8_t>(keep >> group);
    const auto high = static_cast<uint8_t>(keep >> (group + 8));
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + from + group));
    const __m128i shuffle = _mm_add_epi8(_mm_set_epi64x(static_cast<long long>(kKeepShuffles[high]),
                                                        static_cast<long long>(kKeepShuffles[low])),
                                         secondHalf);
    const __m128i kept = _mm_shuffle_epi8(bytes, shuffle);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(buffer + to), kept);
    to += kKeepCounts[low];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(buffer + to), _mm_unpackhi_epi64(kept, kept));
    to += kKeepCounts[high];
  }
  return to;
}
#endif

// MoveDown for a caller that knows that a block's size or more lies between the two and that a
// block can be read from `from`: one block is copied without a test.
inline size_t MoveDownWithRoom(char* buffer, size_t to, size_t from, size_t n, size_t limit) {
#if QUORVANE_SSE2_SCAN
  for (size_t k = 0; k < kBlockSize; k += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + from + k));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + to + k), v);
  }
  if (n <= kBlockSize) [[likely]] {
    return to + n;
  }
  return MoveDown(buffer, to + kBlockSize, from + kBlockSize, n - kBlockSize, limit);
#else
  return MoveDown(buffer, to, from, n, limit);
#endif
}

}  // namespace quorvane::scan
