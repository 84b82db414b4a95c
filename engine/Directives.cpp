#include "engine/Directives.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/PieceText.h"
#include "support/Paths.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr std::string_view kDirectiveName = "quorvane";
constexpr size_t kClosingTagLength = 12;  // "</#quorvane>"
constexpr size_t kNone = std::string_view::npos;

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
std::optional<bool> DirectiveAt(const TPieceText& s, size_t q) {
  const size_t length = s.Size();
  if (length < q + 13 || s.At(q) != '<') {
    return std::nullopt;
  }
  bool closing = false;
  size_t name = 0;
  if (s.At(q + 1) == '/' && s.At(q + 2) == '#') {
    closing = true;
    name = q + 3;
  } else if (s.At(q + 1) == '#') {
    name = q + 2;
  } else {
    return std::nullopt;
  }
  if (!s.Holds(name, kDirectiveName)) {
    return std::nullopt;
  }
  const size_t r = name + kDirectiveName.size();
  if (r + 1 >= length) {
    return std::nullopt;
  }
  const char after = s.At(r);
  if (IsWhiteSpace(after) || (after == '>' && closing)) {
    return closing;
  }
  return std::nullopt;
}

// Examines the first "<#" or "</#" at or after `from`: when it is not a directive, none is
// found, so a stray one hides the directives after it.
std::optional<TFoundDirective> FindNextDirective(const TPieceText& s, size_t from) {
  for (size_t h = from + 1; h < s.Size();) {
    h = s.FindHash(h);
    if (h == kNone) {
      return std::nullopt;
    }
    size_t q = kNone;
    if (s.At(h - 1) == '<') {
      q = h - 1;
    } else if (s.At(h - 1) == '/' && h >= 2 && h - 2 >= from && s.At(h - 2) == '<') {
      q = h - 2;
    }
    if (q != kNone) {
      if (auto closing = DirectiveAt(s, q)) {
        return TFoundDirective{q, *closing};
      }
      return std::nullopt;
    }
    ++h;
  }
  return std::nullopt;
}

void SkipWhiteSpace(const TPieceText& s, size_t& p) {
  while (p < s.Size() && IsWhiteSpace(s.At(p))) {
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

bool ParseAttribute(const TPieceText& s, size_t& p, TAttribute& attribute) {
  SkipWhiteSpace(s, p);
  if (p >= s.Size()) {
    return false;
  }
  const size_t nameStart = p;
  const size_t equals = s.Find('=', p);
  if (equals == kNone) {
    p = s.Size();
    return false;
  }
  attribute.Name = TrimControl(s.Copy(nameStart, equals - nameStart));
  p = equals + 1;
  if (p >= s.Size()) {
    return false;
  }
  const char quote = s.At(p);
  const size_t valueStart = ++p;
  const size_t close = s.Find(quote, p);
  p = close == kNone ? s.Size() + 1 : close + 1;
  if (p >= s.Size()) {
    p = s.Size();
    return false;
  }
  attribute.Value = s.Copy(valueStart, close - valueStart);
  SkipWhiteSpace(s, p);
  return true;
}

// Reads the attributes of the opening tag at `p`; on success `p` is right after its ">", on
// failure where the parsing stopped.
bool ParseDirectiveAttributes(const TPieceText& s, size_t& p, std::vector<TAttribute>& list) {
  p += 2 + kDirectiveName.size() + 1;
  while (p < s.Size() && s.At(p) != '>') {
    SkipWhiteSpace(s, p);
    if (p >= s.Size()) {
      return false;
    }
    TAttribute attribute;
    if (!ParseAttribute(s, p, attribute)) {
      return false;
    }
    const bool present = std::any_of(list.begin(), list.end(), [&](const TAttribute& a) {
      return SameTextNoCase(a.Name, attribute.Name);
    });
    if (!present) {
      list.push_back(std::move(attribute));
    }
  }
  if (p < s.Size() && s.At(p) == '>') {
    ++p;
    return true;
  }
  return false;
}

// A file that an include names, as the reader delivered it.
struct TIncludedFile {
  IIncludeFiles::TResult Result = IIncludeFiles::TResult::Missing;
  std::string Content;
  TPieceText Text;  // the content, searched once already: every include starts from a copy
};

// One expansion of a document. Every level works on a piece text, so that a directive's
// replacement, and the nested scans that the rules run again over text already expanded, move
// no bytes; the bytes are copied once, into the result.
class TExpansion {
 public:
  TExpansion(std::string_view document, const std::string& fileName, bool& modified,
             TEngineServices& services)
      : document_(document),
        baseDir_(ExtractFilePath(fileName)),
        chain_{fileName},
        modified_(modified),
        services_(services) {}

  TStopReason Run(std::string& expanded);

 private:
  // Expands the directives of `t` from `p` on, to its end. Returns true when this level
  // stopped: at an unterminated directive, or when the whole expansion must stop (`stop_`).
  bool Process(TPieceText& t, size_t p, int depth);
  bool FindClosingTag(TPieceText& t, size_t contentStart, int depth, size_t& closePos);
  size_t ReplaceDirective(TPieceText& t, size_t start, size_t contentStart, size_t closePos,
                          const std::vector<TAttribute>& attributes, int depth);
  size_t Include(TPieceText& t, size_t start, size_t contentStart, size_t closePos,
                 const std::string& name, int depth);
  size_t SetContent(TPieceText& t, size_t contentStart, size_t closePos, std::string text);
  const TIncludedFile& Load(const std::string& name);
  bool ReportProgress();
  bool InChain(std::string_view name) const {
    return std::any_of(chain_.begin(), chain_.end(),
                       [&](const std::string& entry) { return SameAsciiNoCase(entry, name); });
  }
  bool DocumentIsUtf8();
  std::string InDocumentEncoding(std::string programText);
  std::string NameInDocument(const std::string& name);

  std::string_view document_;
  std::string baseDir_;
  std::vector<std::string> chain_;
  size_t includedBytes_ = 0;
  uint8_t remaining_ = 100;
  TStopReason stop_ = TStopReason::None;  // set when the whole expansion must stop
  std::optional<bool> documentUtf8_;
  std::map<std::string, TIncludedFile> files_;  // by path: each file is read once
  const TIncludedFile noFile_;                  // what a name that no file can have names
  const TIncludedFile tooLarge_{IIncludeFiles::TResult::TooLarge, {}, {}};
  std::deque<std::string> messages_;  // the bytes of the messages the text holds
  bool& modified_;
  TEngineServices& services_;
};

TStopReason TExpansion::Run(std::string& expanded) {
  TPieceText text(document_);
  const bool stopped = Process(text, 0, 0);
  services_.Progress.SetSubProgress(100);
  if (stopped) {
    return stop_ == TStopReason::None ? TStopReason::Unterminated : stop_;
  }
  if (modified_) {
    text.AppendTo(expanded);
  }
  return TStopReason::None;
}

bool TExpansion::ReportProgress() {
  if (services_.Progress.SetSubProgress(static_cast<int8_t>(100 - remaining_))) {
    stop_ = TStopReason::Cancelled;
    return true;
  }
  return false;
}

bool TExpansion::Process(TPieceText& t, size_t p, int depth) {
  std::vector<TAttribute> attributes;
  while (auto found = FindNextDirective(t, p)) {
    p = found->Position;
    if (ReportProgress()) {
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
    if (!ParseDirectiveAttributes(t, p, attributes) || attributes.empty()) {
      p += 10;
      continue;
    }
    if (depth >= kMaxDirectiveDepth) {
      stop_ = TStopReason::TooDeep;
      return true;
    }
    const size_t contentStart = p;
    size_t closePos = 0;
    if (!FindClosingTag(t, contentStart, depth, closePos)) {
      return true;
    }
    p = ReplaceDirective(t, start, contentStart, closePos, attributes, depth);
    if (stop_ != TStopReason::None) {
      return true;
    }
  }
  return ReportProgress();
}

// The first opening directive met in the content is expanded, with everything after it, once;
// meeting an opening directive again means the enclosing one is never closed.
bool TExpansion::FindClosingTag(TPieceText& t, size_t contentStart, int depth, size_t& closePos) {
  bool nestedDone = false;
  while (true) {
    const auto found = FindNextDirective(t, contentStart);
    if (!found) {
      return false;
    }
    if (found->Closing) {
      closePos = found->Position;
      return true;
    }
    if (nestedDone) {
      return false;
    }
    nestedDone = true;
    Process(t, found->Position, depth + 1);  // its own end does not decide this level's
    if (stop_ != TStopReason::None) {
      return false;
    }
  }
}

size_t TExpansion::ReplaceDirective(TPieceText& t, size_t start, size_t contentStart,
                                    size_t closePos, const std::vector<TAttribute>& attributes,
                                    int depth) {
  const auto unknown = std::find_if(attributes.begin(), attributes.end(), [](const TAttribute& a) {
    return !SameTextNoCase(a.Name, "include");
  });
  if (unknown != attributes.end()) {
    // The name is the document's own bytes, already in its encoding.
    return SetContent(t, contentStart, closePos,
                      "error: unknown attribute: \"" + unknown->Name + "\"");
  }
  return Include(t, start, contentStart, closePos, attributes.front().Value, depth);
}

size_t TExpansion::Include(TPieceText& t, size_t start, size_t contentStart, size_t closePos,
                           const std::string& name, int depth) {
  if (InChain(name)) {
    return SetContent(t, contentStart, closePos,
                      InDocumentEncoding(services_.Texts.GetText(textid::kRecursiveInclude)));
  }
  const TIncludedFile& file = Load(name);
  switch (file.Result) {
    case IIncludeFiles::TResult::Loaded:
      break;
    case IIncludeFiles::TResult::Missing:
      return SetContent(
          t, contentStart, closePos,
          ReplaceAll(InDocumentEncoding(services_.Texts.GetText(textid::kFileCannotBeOpened)), "%s",
                     NameInDocument(name)));
    case IIncludeFiles::TResult::Unreadable:
      return SetContent(t, contentStart, closePos, {});
    case IIncludeFiles::TResult::TooLarge:
      return start;  // the expansion has stopped
  }
  includedBytes_ += file.Content.size();
  chain_.push_back(name);
  TPieceText content = file.Text;
  Process(content, 0, depth + 1);  // its stop does not stop the document
  chain_.pop_back();
  if (stop_ != TStopReason::None) {
    return start;
  }
  const size_t length = content.Size();
  t.Replace(start, closePos + kClosingTagLength, std::move(content));
  modified_ = true;
  return start + length;
}

// The file `name` names, read once per expansion. One that would make the document too large
// stops the expansion.
const TIncludedFile& TExpansion::Load(const std::string& name) {
  if (name.find('\0') != std::string::npos) {
    return noFile_;  // no file has such a name
  }
  const size_t used = document_.size() + includedBytes_;
  const size_t allowed = used < kMaxExpandedSize ? kMaxExpandedSize - used : 0;
  const std::string path = ResolveAgainst(baseDir_, name);
  auto [entry, fresh] = files_.try_emplace(path);
  TIncludedFile& file = entry->second;
  if (fresh) {
    file.Result = services_.Files.Load(path, allowed, file.Content);
    file.Text = TPieceText(file.Content);
    file.Text.FindHash(0);
  }
  const bool tooLarge =
      file.Result == IIncludeFiles::TResult::TooLarge ||
      (file.Result == IIncludeFiles::TResult::Loaded && file.Content.size() > allowed);
  if (tooLarge) {
    stop_ = TStopReason::TooLarge;
    return tooLarge_;
  }
  return file;
}

size_t TExpansion::SetContent(TPieceText& t, size_t contentStart, size_t closePos,
                              std::string text) {
  modified_ = true;
  const size_t length = text.size();
  // Scans that run again over expanded text meet the same messages again: nothing to move.
  if (closePos - contentStart != length || !t.Holds(contentStart, text)) {
    messages_.push_back(std::move(text));
    t.Replace(contentStart, closePos, TPieceText(messages_.back()));
  }
  return contentStart + length + kClosingTagLength;
}

bool TExpansion::DocumentIsUtf8() {
  if (!documentUtf8_) {
    documentUtf8_ = IsValidUtf8(document_);
  }
  return *documentUtf8_;
}

// The program's texts are Windows-1252; a UTF-8 document gets them in UTF-8.
std::string TExpansion::InDocumentEncoding(std::string programText) {
  return DocumentIsUtf8() ? Win1252ToUtf8(programText) : programText;
}

// An include name is a file-system name, UTF-8; a Windows-1252 document shows it in its own
// encoding when that can hold every character of it, else as it is written.
std::string TExpansion::NameInDocument(const std::string& name) {
  if (DocumentIsUtf8() || !IsValidUtf8(name)) {
    return name;
  }
  std::string converted = Utf8ToWin1252(name);
  return Win1252ToUtf8(converted) == name ? converted : name;
}

}  // namespace

TStopReason ExpandDirectives(std::string_view text, std::string& expanded,
                             const std::string& fileName, bool& modified,
                             TEngineServices& services) {
  modified = false;
  expanded.clear();
  return TExpansion(text, fileName, modified, services).Run(expanded);
}

TStopReason ExpandDirectives(std::string& text, const std::string& fileName, bool& modified,
                             TEngineServices& services) {
  std::string expanded;
  const TStopReason stop = ExpandDirectives(text, expanded, fileName, modified, services);
  if (stop == TStopReason::None && modified) {
    text = std::move(expanded);
  }
  return stop;
}

bool MayHoldDirectives(std::string_view text) {
  // Every directive tag begins "<#" or "</#"; "#" is the rarer byte to look for.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* h = begin; h < end; ++h) {
    h = static_cast<const char*>(std::memchr(h, '#', static_cast<size_t>(end - h)));
    if (h == nullptr) {
      return false;
    }
    if ((h - begin >= 1 && h[-1] == '<') || (h - begin >= 2 && h[-1] == '/' && h[-2] == '<')) {
      return true;
    }
  }
  return false;
}

}  // namespace quorvane
