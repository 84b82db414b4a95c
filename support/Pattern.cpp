#include "support/Pattern.h"

#include <algorithm>
#include <utility>

#include "support/Escapes.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

// Reads one member of a set at `pos` (a character or an escape) into `member`; returns the
// position after it.
size_t ReadMember(std::string_view text, size_t pos, std::string& member) {
  if (text[pos] == '\\') {
    return ReadEscape(text, pos, member);
  }
  member += text[pos];
  return pos + 1;
}

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
  std::bitset<256> members;
  auto add = [&members](char c) { members.set(static_cast<unsigned char>(c)); };
  bool first = true;
  while (pos < text.size() && (text[pos] != ']' || first)) {
    first = false;
    std::string member;
    pos = ReadMember(text, pos, member);
    // A two-character result is a backslash that forms no escape: both are members, and
    // neither starts a range.
    if (member.size() == 2) {
      add(member[0]);
      add(member[1]);
      continue;
    }
    if (pos + 1 < text.size() && text[pos] == '-' && text[pos + 1] != ']') {
      std::string end;
      pos = ReadMember(text, pos + 1, end);
      for (int c = static_cast<unsigned char>(member[0]); c <= static_cast<unsigned char>(end[0]);
           ++c) {
        members.set(c);
      }
      for (size_t i = 1; i < end.size(); ++i) {
        add(end[i]);
      }
    } else {
      add(member[0]);
    }
  }
  if (pos >= text.size()) {
    return std::string_view::npos;
  }
  // Without regard to case every member is upper-cased, and so is the text's character.
  std::bitset<256> upperMembers;
  for (int c = 0; c < 256; ++c) {
    if (members[c]) {
      upperMembers.set(static_cast<unsigned char>(UpperChar(static_cast<char>(c))));
    }
  }
  for (int c = 0; c < 256; ++c) {
    const auto upper = static_cast<unsigned char>(UpperChar(static_cast<char>(c)));
    exact[c] = members[c] != negated;
    folded[c] = upperMembers[upper] != negated;
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

size_t TPattern::MatchRun(std::string_view text, size_t& element, size_t pos,
                          bool matchCase) const {
  for (; element < elements_.size() && elements_[element].kind != Kind::Star; ++element) {
    if (pos >= text.size()) {
      return pos;  // the text ran out: the match ends here with what it has consumed
    }
    const Element& e = elements_[element];
    switch (e.kind) {
      case Kind::Literal: {
        const std::string& chars = matchCase ? e.literal : e.upperLiteral;
        if (chars.size() > text.size() - pos) {
          return std::string_view::npos;
        }
        for (size_t i = 0; i < chars.size(); ++i) {
          const char t = matchCase ? text[pos + i] : UpperChar(text[pos + i]);
          if (t != chars[i]) {
            return std::string_view::npos;
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
          return std::string_view::npos;
        }
        ++pos;
        break;
      }
      case Kind::Star:
        break;
    }
  }
  return pos;
}

// A star takes the shortest run after which the elements up to the next star match. Once they
// match, the rest of the pattern always matches (its next star can reach the end of the text,
// where every match ends), so no choice is ever taken back and no recursion is needed.
std::optional<size_t> TPattern::MatchFrom(std::string_view text, size_t pos, bool matchCase) const {
  size_t element = 0;
  while (element < elements_.size()) {
    if (pos >= text.size()) {
      return pos;
    }
    if (elements_[element].kind != Kind::Star) {
      pos = MatchRun(text, element, pos, matchCase);
      if (pos == std::string_view::npos) {
        return std::nullopt;
      }
      continue;
    }
    ++element;
    if (element == elements_.size()) {
      return pos;  // a trailing star matches nothing
    }
    for (size_t start = pos;; ++start) {
      size_t next = element;
      const size_t end = MatchRun(text, next, start, matchCase);
      if (end != std::string_view::npos) {
        pos = end;
        element = next;
        break;
      }
    }
  }
  return pos;
}

std::optional<size_t> TPattern::MatchAt(std::string_view text, size_t pos, bool matchCase) const {
  if (pos >= text.size()) {
    return std::nullopt;
  }
  if (auto end = MatchFrom(text, pos, matchCase)) {
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

std::optional<TPattern::Match> TPattern::SearchBefore(std::string_view text, size_t before,
                                                      bool matchCase) const {
  // A leading literal can only start where its first character stands.
  const Element& first = elements_.front();
  const bool leadingLiteral = first.kind == Kind::Literal;
  const char wanted = leadingLiteral ? (matchCase ? first.literal[0] : first.upperLiteral[0]) : 0;
  for (size_t pos = std::min(before, text.size()); pos-- > 0;) {
    if (leadingLiteral && (matchCase ? text[pos] : UpperChar(text[pos])) != wanted) {
      continue;
    }
    if (auto length = MatchAt(text, pos, matchCase)) {
      return Match{pos, *length};
    }
  }
  return std::nullopt;
}

}  // namespace quorvane
