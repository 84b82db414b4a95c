#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A wildcard pattern: "*" (shortest run of any characters), "?" (any one character),
// "[...]" sets with "!" negation and "x-y" ranges, and "\" escapes for control characters and
// character codes. Every other character matches itself.
class TPattern {
 public:
  // Compiles a pattern; nothing for an empty pattern or a set without its closing "]".
  static std::optional<TPattern> Compile(std::string_view pattern);

  struct Match {
    size_t Position;
    size_t Length;
  };

  // The leftmost match that starts at or after `from` (and before the end of the text).
  std::optional<Match> Search(std::string_view text, size_t from, bool matchCase) const;
  // The rightmost match that starts before `before`: the start positions are tried from
  // `before` - 1 down to 0, each matched as Search matches it.
  std::optional<Match> SearchBefore(std::string_view text, size_t before, bool matchCase) const;

  // The length of the match that starts exactly at `pos`, if the pattern matches there.
  std::optional<size_t> MatchAt(std::string_view text, size_t pos, bool matchCase) const;

 private:
  enum class Kind { Literal, AnyChar, Set, Star };
  struct Element {
    Kind kind;
    std::string literal;       // Literal: the characters as written
    std::string upperLiteral;  // Literal: upper-cased, for matching without regard to case
    std::bitset<256> exact;    // Set: members, letter case as written (negation applied)
    std::bitset<256> folded;   // Set: members without regard to case (negation applied)
  };

  // The end of the elements from `element` up to the next star matched at `pos`, or npos;
  // `element` is left at that star (or the end).
  size_t MatchRun(std::string_view text, size_t& element, size_t pos, bool matchCase) const;
  std::optional<size_t> MatchFrom(std::string_view text, size_t pos, bool matchCase) const;

  std::vector<Element> elements_;
};

}  // namespace quorvane
