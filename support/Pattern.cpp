#include "support/Pattern.h"

#include <utility>

#include "support/Escapes.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

// Parses a set whose "[" is at `pos`; returns the position after its "]", or npos when the set
// is not closed.
size_t ReadSet(std::string_view text, size_t pos, std::bitset<256>& exact,
               std::bitset<256>& folded) {
  ++pos;
  bool negated = false;
  if (pos < text.size() && text[pos] == '!') {
    negated = true;
    ++pos;
  }
  std::vector<std::pair<unsigned char, unsigned char>> ranges;
  bool first = true;
  while (pos < text.size() && (text[pos] != ']' || first)) {
    first = false;
    std::string member;
    pos = text[pos] == '\\' ? ReadEscape(text, pos, member) : (member += text[pos], pos + 1);
    // A two-character result is a backslash that forms no escape: both are members.
    for (size_t i = 0; i + 1 < member.size(); ++i) {
      ranges.emplace_back(member[i], member[i]);
    }
    const auto low = static_cast<unsigned char>(member.back());
    if (pos + 1 < text.size() && text[pos] == '-' && text[pos + 1] != ']') {
      std::string end;
      pos =
          text[pos + 1] == '\\' ? ReadEscape(text, pos + 1, end) : (end += text[pos + 1], pos + 2);
      ranges.emplace_back(low, static_cast<unsigned char>(end[0]));
      for (size_t i = 1; i < end.size(); ++i) {
        ranges.emplace_back(end[i], end[i]);
      }
    } else {
      ranges.emplace_back(low, low);
    }
  }
  if (pos >= text.size()) {
    return std::string_view::npos;
  }
  for (int c = 0; c < 256; ++c) {
    const auto upper = static_cast<unsigned char>(UpperChar(static_cast<char>(c)));
    bool inExact = false;
    bool inFolded = false;
    for (const auto& [lo, hi] : ranges) {
      inExact = inExact || (c >= lo && c <= hi);
      const auto upperLo = static_cast<unsigned char>(UpperChar(static_cast<char>(lo)));
      const auto upperHi = static_cast<unsigned char>(UpperChar(static_cast<char>(hi)));
      inFolded = inFolded || (upper >= upperLo && upper <= upperHi);
    }
    exact[c] = inExact != negated;
    folded[c] = inFolded != negated;
  }
  return pos + 1;
}

}  // namespace

std::optional<TPattern> TPattern::Compile(std::string_view pattern) {
  if (pattern.empty()) {
    return std::nullopt;
  }
  TPattern result;
  auto& elements = result.elements_;
  auto appendLiteral = [&elements](std::string_view chars) {
    if (elements.empty() || elements.back().kind != Kind::Literal) {
      elements.push_back(Element{Kind::Literal, {}, {}, {}, {}});
    }
    elements.back().literal += chars;
    elements.back().upperLiteral += UpperCase(chars);
  };
  size_t pos = 0;
  while (pos < pattern.size()) {
    const char c = pattern[pos];
    if (c == '*') {
      if (elements.empty() || elements.back().kind != Kind::Star) {
        elements.push_back(Element{Kind::Star, {}, {}, {}, {}});
      }
      ++pos;
    } else if (c == '?') {
      elements.push_back(Element{Kind::AnyChar, {}, {}, {}, {}});
      ++pos;
    } else if (c == '[') {
      Element set{Kind::Set, {}, {}, {}, {}};
      pos = ReadSet(pattern, pos, set.exact, set.folded);
      if (pos == std::string_view::npos) {
        return std::nullopt;
      }
      elements.push_back(std::move(set));
    } else if (c == '\\') {
      std::string chars;
      pos = ReadEscape(pattern, pos, chars);
      appendLiteral(chars);
    } else {
      appendLiteral(std::string_view(&pattern[pos], 1));
      ++pos;
    }
  }
  return result;
}

std::optional<size_t> TPattern::MatchFrom(std::string_view text, size_t element, size_t pos,
                                          bool matchCase) const {
  for (; element < elements_.size(); ++element) {
    if (pos >= text.size()) {
      return pos;  // the text ran out: the match ends here with what it has consumed
    }
    const Element& e = elements_[element];
    switch (e.kind) {
      case Kind::Literal: {
        const std::string& chars = matchCase ? e.literal : e.upperLiteral;
        if (chars.size() > text.size() - pos) {
          return std::nullopt;
        }
        for (size_t i = 0; i < chars.size(); ++i) {
          const char t = matchCase ? text[pos + i] : UpperChar(text[pos + i]);
          if (t != chars[i]) {
            return std::nullopt;
          }
        }
        pos += chars.size();
        break;
      }
      case Kind::AnyChar:
        ++pos;
        break;
      case Kind::Set: {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (!(matchCase ? e.exact[c] : e.folded[c])) {
          return std::nullopt;
        }
        ++pos;
        break;
      }
      case Kind::Star:
        if (element + 1 == elements_.size()) {
          return pos;  // a trailing star matches nothing
        }
        for (size_t k = pos; k <= text.size(); ++k) {
          if (auto end = MatchFrom(text, element + 1, k, matchCase)) {
            return end;
          }
        }
        return std::nullopt;
    }
  }
  return pos;
}

std::optional<size_t> TPattern::MatchAt(std::string_view text, size_t pos, bool matchCase) const {
  if (pos >= text.size()) {
    return std::nullopt;
  }
  if (auto end = MatchFrom(text, 0, pos, matchCase)) {
    return *end - pos;
  }
  return std::nullopt;
}

std::optional<TPattern::Match> TPattern::Search(std::string_view text, size_t from,
                                                bool matchCase) const {
  const bool leadingLiteral = elements_.front().kind == Kind::Literal;
  for (size_t pos = from; pos < text.size(); ++pos) {
    if (leadingLiteral) {
      const std::string& chars = elements_.front().literal;
      pos = matchCase ? text.find(chars, pos) : FindNoCase(text, chars, pos);
      if (pos == std::string_view::npos) {
        return std::nullopt;
      }
    }
    if (auto length = MatchAt(text, pos, matchCase)) {
      return Match{pos, *length};
    }
  }
  return std::nullopt;
}

}  // namespace quorvane
