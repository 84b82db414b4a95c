#include "editor/HtmlHighlightRules.h"

#include <string_view>

namespace quorvane {

namespace {

// Where the scan stands between two characters; with the two fields below it is the state a
// line ends in.
enum class TMode : int {
  Text,
  Tag,       // inside a tag, after its name
  TagValue,  // after an attribute's "="
  ValueDouble,
  ValueSingle,
  Comment,
  Deleted,
  Raw,  // script or style content
};

// The content that follows a tag (or a deleted block) when it ends: for a script or style
// opening tag, and for a directive or deleted block met inside such content, raw text.
enum class TRaw : int { None, Script, Style };

constexpr int kModeMask = 15;
constexpr int kDirectiveFlag = 16;
constexpr int kRawShift = 5;

constexpr std::u16string_view kDeletedOpen = u"<!--DEL";
constexpr std::u16string_view kDeletedClose = u"DEL-->";
constexpr std::u16string_view kCommentOpen = u"<!--";
constexpr std::u16string_view kCommentClose = u"-->";
constexpr std::u16string_view kDirectiveOpen = u"<#quorvane";
constexpr std::u16string_view kDirectiveClose = u"</#quorvane";

bool IsSpace(char16_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsAsciiLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char16_t c) {
  return c >= '0' && c <= '9';
}

bool IsHexDigit(char16_t c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char16_t AsciiLower(char16_t c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
}

class TScanner {
 public:
  TScanner(QStringView line, int state, std::vector<THtmlSpan>* spans)
      : line_(line),
        spans_(spans),
        mode_(static_cast<TMode>(state & kModeMask)),
        directive_((state & kDirectiveFlag) != 0),
        raw_(static_cast<TRaw>(state >> kRawShift)) {}

  int Run() {
    while (pos_ < Size()) {
      switch (mode_) {
        case TMode::Text:
          ScanText();
          break;
        case TMode::Tag:
          ScanTag();
          break;
        case TMode::TagValue:
          ScanTagValue();
          break;
        case TMode::ValueDouble:
          ScanQuoted('"', pos_);
          break;
        case TMode::ValueSingle:
          ScanQuoted('\'', pos_);
          break;
        case TMode::Comment:
          ScanUntil(kCommentClose, THtmlToken::Comment, pos_, pos_);
          break;
        case TMode::Deleted:
          ScanUntil(kDeletedClose, THtmlToken::DeletedBlock, pos_, pos_);
          break;
        case TMode::Raw:
          ScanRaw();
          break;
      }
    }
    return static_cast<int>(mode_) | (directive_ ? kDirectiveFlag : 0) |
           (static_cast<int>(raw_) << kRawShift);
  }

 private:
  qsizetype Size() const { return line_.size(); }
  char16_t At(qsizetype i) const { return i < Size() ? line_[i].unicode() : u'\0'; }

  bool StartsWith(qsizetype at, std::u16string_view text, bool anyCase = false) const {
    if (Size() - at < static_cast<qsizetype>(text.size())) {
      return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t c = line_[at + static_cast<qsizetype>(i)].unicode();
      if (anyCase ? AsciiLower(c) != text[i] : c != text[i]) {
        return false;
      }
    }
    return true;
  }

  // A name ends before white space or at the end of the line (which a line break ends).
  bool EndsName(qsizetype at, bool orTagEnd) const {
    return at >= Size() || IsSpace(At(at)) || (orTagEnd && (At(at) == '>' || At(at) == '/'));
  }

  qsizetype Find(std::u16string_view text, qsizetype from) const {
    return line_.indexOf(QStringView(text.data(), static_cast<qsizetype>(text.size())), from);
  }

  void Emit(qsizetype start, qsizetype end, THtmlToken kind) {
    if (spans_ != nullptr && end > start) {
      spans_->push_back({static_cast<int>(start), static_cast<int>(end - start), kind});
    }
  }

  // After a tag or a deleted block: raw content goes on where one was open.
  void EndConstruct() {
    mode_ = raw_ == TRaw::None ? TMode::Text : TMode::Raw;
    directive_ = false;
  }

  void ScanText() {
    qsizetype p = pos_;
    while (p < Size() && At(p) != '<' && At(p) != '&') {
      ++p;
    }
    pos_ = p;
    if (p >= Size()) {
      return;
    }
    if (At(p) == '&') {
      ScanEntity(p);
    } else if (StartsWith(p, kDeletedOpen)) {
      mode_ = TMode::Deleted;
      ScanUntil(kDeletedClose, THtmlToken::DeletedBlock, p, p + kDeletedOpen.size());
    } else if (StartsWith(p, kCommentOpen)) {
      mode_ = TMode::Comment;
      ScanUntil(kCommentClose, THtmlToken::Comment, p, p + kCommentOpen.size());
    } else if (!ScanDirective(p)) {
      ScanTagName(p);
    }
  }

  void ScanEntity(qsizetype p) {
    qsizetype q = p + 1;
    const qsizetype first = q;
    if (At(q) == '#') {
      ++q;
      const bool hex = At(q) == 'x' || At(q) == 'X';
      q += hex ? 1 : 0;
      const qsizetype digits = q;
      while (hex ? IsHexDigit(At(q)) : IsAsciiDigit(At(q))) {
        ++q;
      }
      if (q == digits) {
        q = first;
      }
    } else if (IsAsciiLetter(At(q))) {
      while (IsAsciiLetter(At(q)) || IsAsciiDigit(At(q))) {
        ++q;
      }
    }
    if (q > first && At(q) == ';') {
      Emit(p, q + 1, THtmlToken::Entity);
      pos_ = q + 1;
    } else {
      pos_ = p + 1;
    }
  }

  bool ScanDirective(qsizetype p) {
    qsizetype end = 0;
    if (StartsWith(p, kDirectiveOpen) && EndsName(p + kDirectiveOpen.size(), false)) {
      end = p + kDirectiveOpen.size();
    } else if (StartsWith(p, kDirectiveClose) && (EndsName(p + kDirectiveClose.size(), false) ||
                                                  At(p + kDirectiveClose.size()) == '>')) {
      end = p + kDirectiveClose.size();
    } else {
      return false;
    }
    Emit(p, end, THtmlToken::Directive);
    mode_ = TMode::Tag;
    directive_ = true;
    pos_ = end;
    return true;
  }

  void ScanTagName(qsizetype p) {
    const char16_t next = At(p + 1);
    const bool closing = next == '/' && IsAsciiLetter(At(p + 2));
    if (!closing && !IsAsciiLetter(next) && next != '!' && next != '?') {
      pos_ = p + 1;  // a "<" that starts no tag
      return;
    }
    const qsizetype name = p + (closing ? 2 : 1);
    qsizetype end = name + 1;
    while (end < Size() && !EndsName(end, true) && At(end) != '<') {
      ++end;
    }
    Emit(p, end, THtmlToken::Tag);
    if (!closing) {
      const QStringView tagName = line_.mid(name, end - name);
      if (tagName.compare(u"script", Qt::CaseInsensitive) == 0) {
        raw_ = TRaw::Script;
      } else if (tagName.compare(u"style", Qt::CaseInsensitive) == 0) {
        raw_ = TRaw::Style;
      }
    }
    mode_ = TMode::Tag;
    pos_ = end;
  }

  void SkipSpace() {
    while (pos_ < Size() && IsSpace(At(pos_))) {
      ++pos_;
    }
  }

  void ScanTag() {
    SkipSpace();
    if (pos_ >= Size()) {
      return;
    }
    const THtmlToken tagKind = directive_ ? THtmlToken::Directive : THtmlToken::Tag;
    const char16_t c = At(pos_);
    if (c == '>' || (c == '/' && At(pos_ + 1) == '>')) {
      const qsizetype end = pos_ + (c == '>' ? 1 : 2);
      Emit(pos_, end, tagKind);
      pos_ = end;
      EndConstruct();
    } else if (c == '=') {
      ++pos_;
      mode_ = TMode::TagValue;
    } else if (c == '"' || c == '\'') {
      mode_ = c == '"' ? TMode::ValueDouble : TMode::ValueSingle;
      ScanQuoted(c, pos_ + 1);
    } else if (c == '/') {
      ++pos_;
    } else {
      qsizetype end = pos_ + 1;
      while (end < Size() && !EndsName(end, true) && At(end) != '=' && At(end) != '"' &&
             At(end) != '\'') {
        ++end;
      }
      Emit(pos_, end, THtmlToken::AttributeName);
      pos_ = end;
    }
  }

  void ScanTagValue() {
    SkipSpace();
    if (pos_ >= Size()) {
      return;
    }
    const char16_t c = At(pos_);
    if (c == '"' || c == '\'') {
      mode_ = c == '"' ? TMode::ValueDouble : TMode::ValueSingle;
      ScanQuoted(c, pos_ + 1);
      return;
    }
    mode_ = TMode::Tag;
    if (c == '>') {
      return;
    }
    qsizetype end = pos_ + 1;
    while (end < Size() && !IsSpace(At(end)) && At(end) != '>') {
      ++end;
    }
    Emit(pos_, end, THtmlToken::AttributeValue);
    pos_ = end;
  }

  // A quoted value from the position (its opening quote, or the line's start when it goes on
  // from the line before); its closing quote is searched from `from`.
  void ScanQuoted(char16_t quote, qsizetype from) {
    const qsizetype start = pos_;
    const qsizetype close = line_.indexOf(QChar(quote), from);
    const qsizetype end = close < 0 ? Size() : close + 1;
    Emit(start, end, THtmlToken::AttributeValue);
    pos_ = end;
    if (close >= 0) {
      mode_ = TMode::Tag;
    }
  }

  void ScanUntil(std::u16string_view close, THtmlToken kind, qsizetype start, qsizetype from) {
    const qsizetype found = Find(close, from);
    const qsizetype end = found < 0 ? Size() : found + static_cast<qsizetype>(close.size());
    Emit(start, end, kind);
    pos_ = end;
    if (found >= 0) {
      EndConstruct();
    }
  }

  void ScanRaw() {
    const std::u16string_view endTag = raw_ == TRaw::Script ? u"</script" : u"</style";
    for (qsizetype p = line_.indexOf(u'<', pos_); p >= 0; p = line_.indexOf(u'<', p + 1)) {
      if (StartsWith(p, endTag, true) && EndsName(p + endTag.size(), true)) {
        raw_ = TRaw::None;
        mode_ = TMode::Text;
        pos_ = p;
        return;
      }
      if (StartsWith(p, kDeletedOpen)) {
        mode_ = TMode::Deleted;
        ScanUntil(kDeletedClose, THtmlToken::DeletedBlock, p, p + kDeletedOpen.size());
        return;
      }
      if (ScanDirective(p)) {
        return;
      }
    }
    pos_ = Size();
  }

  QStringView line_;
  std::vector<THtmlSpan>* spans_;
  qsizetype pos_ = 0;
  TMode mode_;
  bool directive_;
  TRaw raw_;
};

}  // namespace

int THtmlHighlightRules::Scan(QStringView line, int state, std::vector<THtmlSpan>* spans) {
  return TScanner(line, state < 0 ? kTextState : state, spans).Run();
}

}  // namespace quorvane
