#include "engine/PreSegments.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "support/Win1252.h"

namespace quorvane {

namespace {

// A protected segment: where it begins and how far it runs.
struct TProtectedSpan {
  size_t Begin;
  size_t End;
};

constexpr size_t kNone = std::string_view::npos;

TProtectedSpan FindStrictPre(std::string_view text, size_t from) {
  const size_t open = FindNoCase(text, "<PRE>", from);
  if (open == kNone) {
    return {kNone, kNone};
  }
  const size_t close = FindNoCase(text, "</PRE>", open + 5);
  return {open, close == kNone ? text.size() : close + 6};
}

constexpr std::array<std::string_view, 4> kProtectedElements = {"PRE", "TEXTAREA", "SCRIPT",
                                                                "STYLE"};

// The white space that may follow a tag name: the engine's white space without vertical tab.
bool IsTagSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The protected element whose opening tag begins with the "<" at `lt`; empty when there is
// none ("<prefix>" and "<scripts>" open nothing).
std::string_view ProtectedElementAt(std::string_view text, size_t lt) {
  for (const std::string_view name : kProtectedElements) {
    const size_t after = lt + 1 + name.size();
    if (after < text.size() && SameTextNoCase(text.substr(lt + 1, name.size()), name) &&
        (text[after] == '>' || text[after] == '/' || IsTagSpace(text[after]))) {
      return name;
    }
  }
  return {};
}

// The end of the first "</" NAME, tag white space, ">" at or after `from`; the end of the text
// when there is none.
size_t ElementEnd(std::string_view text, std::string_view name, size_t from) {
  const std::string closing = "</" + std::string(name);
  for (size_t at = FindNoCase(text, closing, from); at != kNone;
       at = FindNoCase(text, closing, at + 1)) {
    size_t p = at + closing.size();
    while (p < text.size() && IsTagSpace(text[p])) {
      ++p;
    }
    if (p < text.size() && text[p] == '>') {
      return p + 1;
    }
  }
  return text.size();
}

// The earliest protected element at or after `from`.
TProtectedSpan FindElement(std::string_view text, size_t from) {
  for (size_t lt = from; lt < text.size(); ++lt) {
    const void* hit = std::memchr(text.data() + lt, '<', text.size() - lt);
    if (hit == nullptr) {
      break;
    }
    lt = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    if (const std::string_view name = ProtectedElementAt(text, lt); !name.empty()) {
      return {lt, ElementEnd(text, name, lt + 1 + name.size())};
    }
  }
  return {kNone, kNone};
}

}  // namespace

void TStringListPreSegments::Append(std::string_view text, bool isProtected) {
  segments_.push_back(Entry{std::string(text), isProtected});
}

std::vector<TSegmentBounds> FindProtectedSegments(std::string_view text, TProtection protection) {
  std::vector<TSegmentBounds> bounds;
  size_t pos = 0;
  do {
    const TProtectedSpan span =
        protection == TProtection::StrictPre ? FindStrictPre(text, pos) : FindElement(text, pos);
    if (span.Begin == kNone) {
      bounds.push_back({pos, text.size(), false});
      break;
    }
    if (span.Begin > pos) {
      bounds.push_back({pos, span.Begin, false});
    }
    bounds.push_back({span.Begin, span.End, true});
    pos = span.End;
  } while (pos < text.size());
  return bounds;
}

void TStringListPreSegments::Split(std::string_view text, TProtection protection) {
  Clear();
  for (const TSegmentBounds& b : FindProtectedSegments(text, protection)) {
    Append(text.substr(b.Begin, b.End - b.Begin), b.Protected);
  }
}

int TStringListPreSegments::UnprotectedCount() const {
  return static_cast<int>(std::count_if(segments_.begin(), segments_.end(),
                                        [](const Entry& e) { return !e.Protected; }));
}

std::string TStringListPreSegments::Join() const {
  size_t total = 0;
  for (const Entry& e : segments_) {
    total += e.Text.size();
  }
  std::string text;
  text.reserve(total);
  for (const Entry& e : segments_) {
    text += e.Text;
  }
  return text;
}

}  // namespace quorvane
