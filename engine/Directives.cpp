#include "engine/Directives.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "support/Paths.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr std::string_view kDirectiveName = "quorvane";
constexpr size_t kClosingTagLength = 12;  // "</#quorvane>"

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto fold = [](char c) {
             return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
           };
           return fold(x) == fold(y);
         });
}

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameCharNoCase);
}

struct TFoundDirective {
  size_t Position;
  bool Closing;
};

struct TAttribute {
  std::string Name;
  std::string Value;
};

// Is there a directive tag at `q`? At least one character must follow the closing tag and the
// white-space character after the name of an opening tag.
std::optional<bool> DirectiveAt(std::string_view s, size_t q) {
  const size_t length = s.size();
  if (length < q + 13 || s[q] != '<') {
    return std::nullopt;
  }
  bool closing = false;
  size_t name = 0;
  if (s[q + 1] == '/' && s[q + 2] == '#') {
    closing = true;
    name = q + 3;
  } else if (s[q + 1] == '#') {
    name = q + 2;
  } else {
    return std::nullopt;
  }
  if (s.compare(name, kDirectiveName.size(), kDirectiveName) != 0) {
    return std::nullopt;
  }
  const size_t r = name + kDirectiveName.size();
  if (r + 1 >= length) {
    return std::nullopt;
  }
  if (IsWhiteSpace(s[r]) || (s[r] == '>' && closing)) {
    return closing;
  }
  return std::nullopt;
}

// Examines the first "<#" or "</#" at or after `from`: when it is not a directive, none is
// found, so a stray one hides the directives after it.
std::optional<TFoundDirective> FindNextDirective(std::string_view s, size_t from) {
  for (size_t h = from + 1; h < s.size();) {
    const void* hit = std::memchr(s.data() + h, '#', s.size() - h);
    if (hit == nullptr) {
      return std::nullopt;
    }
    h = static_cast<size_t>(static_cast<const char*>(hit) - s.data());
    size_t q = std::string_view::npos;
    if (s[h - 1] == '<') {
      q = h - 1;
    } else if (s[h - 1] == '/' && h >= 2 && s[h - 2] == '<' && h - 2 >= from) {
      q = h - 2;
    }
    if (q != std::string_view::npos) {
      if (auto closing = DirectiveAt(s, q)) {
        return TFoundDirective{q, *closing};
      }
      return std::nullopt;
    }
    ++h;
  }
  return std::nullopt;
}

void SkipWhiteSpace(std::string_view s, size_t& p) {
  while (p < s.size() && IsWhiteSpace(s[p])) {
    ++p;
  }
}

std::string TrimControl(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) {
    ++begin;
  }
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) {
    --end;
  }
  return std::string(text.substr(begin, end - begin));
}

bool ParseAttribute(std::string_view s, size_t& p, TAttribute& attribute) {
  SkipWhiteSpace(s, p);
  if (p >= s.size()) {
    return false;
  }
  const size_t nameStart = p;
  const size_t equals = s.find('=', p);
  if (equals == std::string_view::npos) {
    p = s.size();
    return false;
  }
  attribute.Name = TrimControl(s.substr(nameStart, equals - nameStart));
  p = equals + 1;
  if (p >= s.size()) {
    return false;
  }
  const char quote = s[p];
  const size_t valueStart = ++p;
  const size_t close = s.find(quote, p);
  p = close == std::string_view::npos ? s.size() + 1 : close + 1;
  if (p >= s.size()) {
    p = s.size();
    return false;
  }
  attribute.Value = std::string(s.substr(valueStart, close - valueStart));
  SkipWhiteSpace(s, p);
  return true;
}

// Reads the attributes of the opening tag at `p`; on success `p` is right after its ">", on
// failure where the parsing stopped.
bool ParseDirectiveAttributes(std::string_view s, size_t& p, std::vector<TAttribute>& list) {
  p += 2 + kDirectiveName.size() + 1;
  while (p < s.size() && s[p] != '>') {
    SkipWhiteSpace(s, p);
    if (p >= s.size()) {
      return false;
    }
    TAttribute attribute;
    if (!ParseAttribute(s, p, attribute)) {
      return false;
    }
    const bool present = std::any_of(list.begin(), list.end(), [&](const TAttribute& a) {
      return SameNoCase(a.Name, attribute.Name);
    });
    if (!present) {
      list.push_back(std::move(attribute));
    }
  }
  if (p < s.size() && s[p] == '>') {
    ++p;
    return true;
  }
  return false;
}

class TExpansion {
 public:
  TExpansion(const std::string& fileName, size_t documentSize, bool& modified,
             TEngineServices& services)
      : baseDir_(ExtractFilePath(fileName)),
        chain_{fileName},
        documentSize_(documentSize),
        modified_(modified),
        services_(services) {}

  // Expands the directives of `s` from its start. The level's text goes to `out` when
  // `writeAll` is set, else only when something changed (`wrote` tells). Returns true when it
  // stopped (cancel or an unterminated directive).
  bool Process(std::string_view s, int depth, std::string& out, bool writeAll, bool& wrote);

  bool ReportProgress() {
    return services_.Progress.SetSubProgress(static_cast<int8_t>(100 - remaining_));
  }

 private:
  // The text of one level as it is being rewritten: `out` holds the rewritten text before
  // `copied`, `s` from `copied` on is unchanged. An included file writes straight into the
  // output of the level that includes it, so its expansion is never copied again.
  struct TLevel {
    std::string_view s;
    std::string owned;  // holds `s` once a nested expansion rewrote its tail
    std::string& out;
    size_t copied = 0;
    bool writing;

    TLevel(std::string_view text, std::string& sink, bool writeAll)
        : s(text), out(sink), writing(writeAll) {}
    void Flush(size_t to) {
      out.append(s.substr(copied, to - copied));
      copied = to;
      writing = true;
    }
    void Replace(size_t from, size_t to, std::string_view with) {
      Flush(from);
      out.append(with);
      copied = to;
    }
    void RewriteTail(size_t from, std::string_view tail) {
      std::string next;
      next.reserve(from + tail.size());
      next.append(s.substr(0, from));
      next.append(tail);
      owned = std::move(next);
      s = owned;
      writing = true;
    }
    bool Finish() {
      if (writing) {
        out.append(s.substr(copied));
      }
      return writing;
    }
  };

  enum class TEnd { Found, Unterminated };
  TEnd FindClosingTag(TLevel& level, size_t contentStart, int depth, size_t& closePos);
  size_t ReplaceDirective(TLevel& level, size_t start, size_t contentStart, size_t closePos,
                          const std::vector<TAttribute>& attributes, int depth);
  size_t Include(TLevel& level, size_t start, size_t contentStart, size_t closePos,
                 const std::string& name, int depth);
  size_t SetContent(TLevel& level, size_t contentStart, size_t closePos, std::string_view text);
  bool InChain(std::string_view name) const {
    return std::any_of(chain_.begin(), chain_.end(),
                       [&](const std::string& entry) { return SameAscii(entry, name); });
  }

  std::string baseDir_;
  std::vector<std::string> chain_;
  size_t documentSize_;
  size_t includedBytes_ = 0;
  uint8_t remaining_ = 100;
  bool& modified_;
  TEngineServices& services_;
};

bool TExpansion::Process(std::string_view text, int depth, std::string& out, bool writeAll,
                         bool& wrote) {
  TLevel level(text, out, writeAll);
  size_t p = 0;
  std::vector<TAttribute> attributes;
  while (auto found = FindNextDirective(level.s, p)) {
    p = found->Position;
    if (ReportProgress()) {
      wrote = level.Finish();
      return true;
    }
    remaining_ /= 2;
    if (found->Closing) {
      p += kClosingTagLength;  // a closing tag without an opening one stays
      continue;
    }
    const size_t start = p;
    attributes.clear();
    // A malformed opening tag, or one without attributes, stays in the text.
    if (!ParseDirectiveAttributes(level.s, p, attributes) || attributes.empty()) {
      p += 10;
      continue;
    }
    const size_t contentStart = p;
    size_t closePos = 0;
    if (FindClosingTag(level, contentStart, depth, closePos) == TEnd::Unterminated) {
      wrote = level.Finish();
      return true;
    }
    p = ReplaceDirective(level, start, contentStart, closePos, attributes, depth);
  }
  wrote = level.Finish();
  return ReportProgress();
}

// The first opening directive met in the content is expanded, with everything after it, once;
// meeting an opening directive again means the enclosing one is never closed.
TExpansion::TEnd TExpansion::FindClosingTag(TLevel& level, size_t contentStart, int depth,
                                            size_t& closePos) {
  bool nestedDone = false;
  while (true) {
    const auto found = FindNextDirective(level.s, contentStart);
    if (!found) {
      return TEnd::Unterminated;
    }
    if (found->Closing) {
      closePos = found->Position;
      return TEnd::Found;
    }
    if (nestedDone || depth + 1 >= kMaxDirectiveDepth) {
      return TEnd::Unterminated;
    }
    nestedDone = true;
    std::string tail;
    bool wrote = false;
    // Its own result does not decide this level's.
    Process(level.s.substr(found->Position), depth + 1, tail, false, wrote);
    if (wrote) {
      level.RewriteTail(found->Position, tail);
    }
  }
}

size_t TExpansion::ReplaceDirective(TLevel& level, size_t start, size_t contentStart,
                                    size_t closePos, const std::vector<TAttribute>& attributes,
                                    int depth) {
  const auto unknown = std::find_if(attributes.begin(), attributes.end(), [](const TAttribute& a) {
    return !SameNoCase(a.Name, "include");
  });
  if (unknown != attributes.end()) {
    return SetContent(level, contentStart, closePos,
                      "error: unknown attribute: \"" + unknown->Name + "\"");
  }
  return Include(level, start, contentStart, closePos, attributes.front().Value, depth);
}

size_t TExpansion::Include(TLevel& level, size_t start, size_t contentStart, size_t closePos,
                           const std::string& name, int depth) {
  if (InChain(name)) {
    return SetContent(level, contentStart, closePos,
                      services_.Texts.GetText(textid::kRecursiveInclude));
  }
  if (depth + 1 >= kMaxDirectiveDepth) {
    return SetContent(level, contentStart, closePos,
                      "error: includes nested too deeply: \"" + name + "\"");
  }
  const size_t used = documentSize_ + includedBytes_;
  const size_t allowed = used < kMaxExpandedSize ? kMaxExpandedSize - used : 0;
  std::string content;
  const auto result = services_.Files.Load(ResolveAgainst(baseDir_, name), allowed, content);
  switch (result) {
    case IIncludeFiles::TResult::Loaded:
      break;
    case IIncludeFiles::TResult::Missing:
      return SetContent(
          level, contentStart, closePos,
          ReplaceAll(services_.Texts.GetText(textid::kFileCannotBeOpened), "%s", name));
    case IIncludeFiles::TResult::Unreadable:
      return SetContent(level, contentStart, closePos, {});
    case IIncludeFiles::TResult::TooLarge:
      return SetContent(
          level, contentStart, closePos,
          "error: the document would grow past 256 MiB by including \"" + name + "\"");
  }
  includedBytes_ += content.size();
  chain_.push_back(name);
  level.Flush(start);
  bool wrote = false;
  Process(content, depth + 1, level.out, true, wrote);  // its stop does not stop the document
  level.copied = closePos + kClosingTagLength;
  chain_.pop_back();
  modified_ = true;
  return closePos + kClosingTagLength;
}

size_t TExpansion::SetContent(TLevel& level, size_t contentStart, size_t closePos,
                              std::string_view text) {
  level.Replace(contentStart, closePos, text);
  modified_ = true;
  return closePos + kClosingTagLength;
}

}  // namespace

bool ExpandDirectives(std::string_view text, std::string& expanded, const std::string& fileName,
                      bool& modified, TEngineServices& services) {
  modified = false;
  expanded.clear();
  TExpansion expansion(fileName, text.size(), modified, services);
  bool wrote = false;
  const bool stopped = expansion.Process(text, 0, expanded, false, wrote);
  services.Progress.SetSubProgress(100);
  return stopped;
}

bool ExpandDirectives(std::string& text, const std::string& fileName, bool& modified,
                      TEngineServices& services) {
  std::string expanded;
  const bool stopped = ExpandDirectives(text, expanded, fileName, modified, services);
  if (modified) {
    text = std::move(expanded);
  }
  return stopped;
}

}  // namespace quorvane
