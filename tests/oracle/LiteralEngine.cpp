#include "LiteralEngine.h"

#include <cmath>
#include <optional>
#include <vector>

#include "engine/Directives.h"
#include "support/Paths.h"
#include "support/Pattern.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane::oracle {

namespace {

// Positions here are 0-based; otherwise each routine follows its description step by step.
bool HoldsAt(const std::string& s, size_t p, const std::string& what, bool matchCase) {
  if (p + what.size() > s.size())
    return false;
  for (size_t k = 0; k < what.size(); ++k) {
    if (matchCase ? s[p + k] != what[k] : UpperChar(s[p + k]) != UpperChar(what[k]))
      return false;
  }
  return true;
}

size_t FindLiteral(const std::string& s, const std::string& what, size_t from, bool matchCase) {
  for (size_t p = from; p + what.size() <= s.size(); ++p) {
    if (HoldsAt(s, p, what, matchCase)) {
      return p;
    }
  }
  return std::string::npos;
}

uint32_t Trim(std::string& s, bool& changed, const std::string& search, bool before, bool pattern,
              bool matchCase, uint32_t limit) {
  std::optional<TPattern> compiled;
  if (pattern) {
    compiled = TPattern::Compile(search);
    if (!compiled) {
      return 0;
    }
  }
  size_t p = 0;
  uint32_t count = 0;
  while ((limit == 0 || count < limit) && p < s.size()) {
    size_t len = search.size();
    if (compiled) {
      std::optional<size_t> found;
      size_t q = p;
      for (; q < s.size() && !found; ++q) {
        found = compiled->MatchAt(s, q, matchCase);
      }
      if (!found) {
        break;
      }
      p = q - 1;
      len = *found;
    } else {
      p = FindLiteral(s, search, p, matchCase);
      if (p == std::string::npos) {
        break;
      }
    }
    ++count;
    if (before) {
      size_t j = p;
      while (j > 0 && IsWhiteSpace(s[j - 1])) {
        --j;
      }
      if (j < p) {
        s.erase(j, p - j);
        changed = true;
        p = j;
      }
    }
    p += len;
    if (!before) {
      size_t j = p;
      while (j < s.size() && IsWhiteSpace(s[j])) {
        ++j;
      }
      if (j > p) {
        s.erase(p, j - p);
        changed = true;
      }
    }
    if (len == 0) {
      ++p;
    }
  }
  return count;
}

}  // namespace

bool LiteralCompactSegment(std::string& s, bool& changed, const TTagsCommaList& tags) {
  while (!s.empty() && IsWhiteSpace(s[0])) {
    s.erase(0, 1);
    changed = true;
  }
  while (!s.empty() && IsWhiteSpace(s.back())) {
    s.pop_back();
    changed = true;
  }
  // Collapse, in the one left-to-right scan with an output buffer that it is described as.
  std::string buffer(s.size(), '\0');
  size_t k = 0;
  for (size_t i = 0; i < s.size(); ++k) {
    if (IsWhiteSpace(s[i])) {
      buffer[k] = s[i];
      bool lb = IsLineBreak(s[i]);
      ++i;
      while (i < s.size() && IsWhiteSpace(s[i])) {
        if (!lb && IsLineBreak(s[i])) {
          buffer[k] = '\n';
          lb = true;
        }
        ++i;
      }
    } else {
      buffer[k] = s[i++];
    }
  }
  if (k != s.size()) {
    s = buffer.substr(0, k);
    changed = true;
  }
  Trim(s, changed, "</", true, false, true, 0);
  for (int i = 0; i < tags.Count(); ++i) {
    const std::string& name = tags.Names(i);
    const uint32_t limit = tags.MaxCount(i);
    if (Trim(s, changed, "<" + name, true, false, false, limit) > 0) {
      Trim(s, changed, "<" + name + "*>", false, true, false, limit);
    }
    Trim(s, changed, "</" + name + ">", false, false, false, limit);
  }
  return false;
}

namespace {

struct Expansion {
  TEngineServices& services;
  std::string fileName;
  std::string document;  // as it was given
  std::vector<std::string> chain;
  size_t included = 0;
  uint8_t remaining = 100;
  TStopReason stop = TStopReason::None;  // what stops the whole expansion
  bool& modified;
};

// A text of the program in the document's encoding.
std::string Encoded(const Expansion& e, const std::string& win1252) {
  return IsValidUtf8(e.document) ? Win1252ToUtf8(win1252) : win1252;
}

// A file name (UTF-8) in a Windows-1252 document: converted when every character fits.
std::string EncodedName(const Expansion& e, const std::string& name) {
  if (IsValidUtf8(e.document) || !IsValidUtf8(name)) {
    return name;
  }
  const std::string converted = Utf8ToWin1252(name);
  return Win1252ToUtf8(converted) == name ? converted : name;
}

// Returns 1 for a closing tag, 0 for an opening one, -1 for none.
int IsDirectiveAt(const std::string& t, size_t q) {
  const size_t L = t.size();
  if (L < q + 13)
    return -1;
  int closing;
  size_t n;
  if (t[q] == '<' && t[q + 1] == '/' && t[q + 2] == '#') {
    closing = 1;
    n = q + 3;
  } else if (t[q] == '<' && t[q + 1] == '#') {
    closing = 0;
    n = q + 2;
  } else {
    return -1;
  }
  if (t.compare(n, 8, "quorvane") != 0)
    return -1;
  const size_t r = n + 8;
  if (r + 1 >= L)
    return -1;
  if (IsWhiteSpace(t[r]) || (t[r] == '>' && closing == 1))
    return closing;
  return -1;
}

int FindNext(const std::string& t, size_t& p) {
  const size_t a = t.find("<#", p);
  const size_t b = t.find("</#", p);
  const size_t q = std::min(a, b);
  if (q == std::string::npos)
    return -1;
  p = q;
  return IsDirectiveAt(t, q);
}

bool ParseAttr(const std::string& t, size_t& p, std::string& name, std::string& value) {
  while (p < t.size() && IsWhiteSpace(t[p]))
    ++p;
  if (p >= t.size())
    return false;
  const size_t ns = p;
  while (p < t.size() && t[p] != '=')
    ++p;
  if (p >= t.size())
    return false;
  name = t.substr(ns, p - ns);
  while (!name.empty() && static_cast<unsigned char>(name[0]) <= 32)
    name.erase(0, 1);
  while (!name.empty() && static_cast<unsigned char>(name.back()) <= 32)
    name.pop_back();
  ++p;
  if (p >= t.size())
    return false;
  const char quote = t[p];
  ++p;
  const size_t vs = p;
  while (p < t.size() && t[p] != quote)
    ++p;
  ++p;
  if (p >= t.size())
    return false;
  value = t.substr(vs, p - 1 - vs);
  while (p < t.size() && IsWhiteSpace(t[p]))
    ++p;
  return true;
}

using Attrs = std::vector<std::pair<std::string, std::string>>;

bool ParseAttrs(const std::string& t, size_t& p, Attrs& attrs) {
  p += 11;
  while (p < t.size() && t[p] != '>') {
    while (p < t.size() && IsWhiteSpace(t[p]))
      ++p;
    if (p >= t.size())
      return false;
    std::string name, value;
    if (!ParseAttr(t, p, name, value))
      return false;
    bool present = false;
    for (auto& a : attrs)
      present = present || UpperCase(a.first) == UpperCase(name);
    if (!present)
      attrs.emplace_back(name, value);
  }
  if (p < t.size() && t[p] == '>') {
    ++p;
    return true;
  }
  return false;
}

bool Process(Expansion& e, std::string& t, size_t p, int depth);

size_t SetResult(Expansion& e, std::string& t, size_t start, size_t contentStart, size_t closePos,
                 bool whole, const std::string& x) {
  e.modified = true;
  if (whole) {
    t.erase(start, closePos + 12 - start);
    t.insert(start, x);
    return start + x.size();
  }
  t.erase(contentStart, closePos - contentStart);
  t.insert(contentStart, x);
  return contentStart + x.size() + 12;
}

size_t Replace(Expansion& e, std::string& t, size_t start, size_t contentStart, size_t closePos,
               const Attrs& attrs, int depth) {
  for (auto& a : attrs) {
    if (UpperCase(a.first) != "INCLUDE") {
      return SetResult(e, t, start, contentStart, closePos, false,
                       "error: unknown attribute: \"" + a.first + "\"");
    }
  }
  const std::string v = attrs[0].second;
  for (auto& c : e.chain) {
    if (SameAsciiNoCase(c, v)) {
      return SetResult(e, t, start, contentStart, closePos, false,
                       Encoded(e, e.services.Texts.GetText(textid::kRecursiveInclude)));
    }
  }
  const std::string missing = ReplaceAll(
      Encoded(e, e.services.Texts.GetText(textid::kFileCannotBeOpened)), "%s", EncodedName(e, v));
  if (v.find('\0') != std::string::npos) {
    return SetResult(e, t, start, contentStart, closePos, false, missing);
  }
  const size_t used = e.document.size() + e.included;
  const size_t allowed = used < kMaxExpandedSize ? kMaxExpandedSize - used : 0;
  std::string content;
  const auto r =
      e.services.Files.Load(ResolveAgainst(ExtractFilePath(e.fileName), v), allowed, content);
  if (r == IIncludeFiles::TResult::Missing) {
    return SetResult(e, t, start, contentStart, closePos, false, missing);
  }
  if (r == IIncludeFiles::TResult::Unreadable) {
    return SetResult(e, t, start, contentStart, closePos, false, "");
  }
  if (r == IIncludeFiles::TResult::TooLarge) {
    e.stop = TStopReason::TooLarge;
    return start;
  }
  e.included += content.size();
  e.chain.push_back(v);
  Process(e, content, 0, depth + 1);
  e.chain.pop_back();
  if (e.stop != TStopReason::None) {
    return start;
  }
  return SetResult(e, t, start, contentStart, closePos, true, content);
}

bool Process(Expansion& e, std::string& t, size_t p, int depth) {
  int kind;
  while ((kind = FindNext(t, p)) >= 0) {
    if (e.services.Progress.SetSubProgress(static_cast<int8_t>(100 - e.remaining))) {
      e.stop = TStopReason::Cancelled;
      return true;
    }
    e.remaining /= 2;
    if (kind == 1) {
      p += 12;
      continue;
    }
    const size_t start = p;
    Attrs attrs;
    if (!ParseAttrs(t, p, attrs) || attrs.empty()) {
      p += 10;
      continue;
    }
    if (depth >= kMaxDirectiveDepth) {
      e.stop = TStopReason::TooDeep;
      return true;
    }
    const size_t contentStart = p;
    size_t closePos = 0;
    bool nested = false;
    while (true) {
      p = contentStart;
      const int k = FindNext(t, p);
      if (k < 0)
        return true;
      if (k == 1) {
        closePos = p;
        break;
      }
      if (nested)
        return true;
      nested = true;
      Process(e, t, p, depth + 1);
      if (e.stop != TStopReason::None)
        return true;
    }
    p = Replace(e, t, start, contentStart, closePos, attrs, depth);
    if (e.stop != TStopReason::None)
      return true;
  }
  if (e.services.Progress.SetSubProgress(static_cast<int8_t>(100 - e.remaining))) {
    e.stop = TStopReason::Cancelled;
    return true;
  }
  return false;
}

bool TagSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Where the protected segment that begins at or after `from` begins and ends; false when there
// is none.
bool NextProtected(const std::string& t, size_t from, TProtection protection, size_t& begin,
                   size_t& end) {
  if (protection == TProtection::StrictPre) {
    begin = FindLiteral(t, "<PRE>", from, false);
    if (begin == std::string::npos)
      return false;
    const size_t close = FindLiteral(t, "</PRE>", begin + 5, false);
    end = close == std::string::npos ? t.size() : close + 6;
    return true;
  }
  for (size_t b = from; b < t.size(); ++b) {
    for (const std::string name : {"PRE", "TEXTAREA", "SCRIPT", "STYLE"}) {
      const size_t after = b + 1 + name.size();
      if (t[b] != '<' || !HoldsAt(t, b + 1, name, false) || after >= t.size())
        continue;
      if (t[after] != '>' && t[after] != '/' && !TagSpace(t[after]))
        continue;
      begin = b;
      end = t.size();
      for (size_t c = after; c + 1 < t.size(); ++c) {
        if (t[c] == '<' && t[c + 1] == '/' && HoldsAt(t, c + 2, name, false)) {
          size_t d = c + 2 + name.size();
          while (d < t.size() && TagSpace(t[d]))
            ++d;
          if (d < t.size() && t[d] == '>') {
            end = d + 1;
            break;
          }
        }
      }
      return true;
    }
  }
  return false;
}

// The segments in text order, each with whether it is protected.
std::vector<std::pair<std::string, bool>> Split(const std::string& t, TProtection protection) {
  std::vector<std::pair<std::string, bool>> segments;
  size_t p = 0;
  do {
    size_t begin = 0;
    size_t end = 0;
    if (!NextProtected(t, p, protection, begin, end)) {
      segments.emplace_back(t.substr(p), false);
      break;
    }
    if (begin > p)
      segments.emplace_back(t.substr(p, begin - p), false);
    segments.emplace_back(t.substr(begin, end - begin), true);
    p = end;
  } while (p < t.size());
  return segments;
}

}  // namespace

TStopReason LiteralExpandDirectives(std::string& text, const std::string& fileName, bool& modified,
                                    TEngineServices& services) {
  modified = false;
  Expansion e{services, fileName, text, {fileName}, 0, 100, TStopReason::None, modified};
  std::string t = text;
  const bool stopped = Process(e, t, 0, 0);
  services.Progress.SetSubProgress(100);
  if (stopped) {
    return e.stop == TStopReason::None ? TStopReason::Unterminated : e.stop;
  }
  text = t;
  return TStopReason::None;
}

TStopReason LiteralCompressText(std::string& text, const std::string& fileName,
                                const TTagsCommaList& tags, TProtection protection,
                                TCompressionStats& stats, TEngineServices& services) {
  std::string t = text;
  bool modified = false;
  if (const TStopReason stop = LiteralExpandDirectives(t, fileName, modified, services);
      stop != TStopReason::None) {
    return stop;
  }
  const size_t l0 = t.size();
  std::string lines;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r') {
      lines += '\n';
      modified = true;
      if (i + 1 < t.size() && t[i + 1] == '\n')
        ++i;
    } else {
      lines += t[i];
    }
  }
  t = lines;
  for (size_t p = t.find(" />"); p != std::string::npos; p = t.find(" />", p + 1)) {
    t = t.substr(0, p) + '>' + t.substr(p + 3);
    modified = true;
  }
  for (size_t p = 0;;) {
    const size_t a = t.find("<!--DEL", p);
    if (a == std::string::npos)
      break;
    const size_t b = t.find("DEL-->", a + 7);
    if (b == std::string::npos)
      break;
    t.erase(a, b + 6 - a);
    modified = true;
    p = a;
  }
  std::string result;
  for (auto& [seg, isProtected] : Split(t, protection)) {
    if (!isProtected) {
      bool changed = false;
      LiteralCompactSegment(seg, changed, tags);
      modified = modified || changed;
    }
    result += seg;
  }
  stats.Modified = modified;
  stats.Percent = l0 == 0 ? 0
                          : static_cast<uint8_t>(std::nearbyint(
                                (1.0 - static_cast<double>(result.size()) / l0) * 100.0));
  stats.Saved = static_cast<int32_t>(l0 - result.size());
  text = result;
  return TStopReason::None;
}

}  // namespace quorvane::oracle
