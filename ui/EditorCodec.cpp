#include "ui/EditorCodec.h"

#include <algorithm>
#include <array>
#include <utility>

#include "support/UnicodeText.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr char16_t kParagraphSeparator = 0x2029;

// The Unicode character of every Windows-1252 byte; the five undefined bytes stand for the code
// points of the same number.
const std::array<char16_t, 256>& Win1252Chars() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> chars{};
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 = Win1252ToUtf8(std::string(1, static_cast<char>(b)));
      chars[b] =
          QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).at(0).unicode();
    }
    return chars;
  }();
  return table;
}

// The Windows-1252 byte of a character, or -1 when the code page has none.
int Win1252Byte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    return c;
  }
  const auto& chars = Win1252Chars();
  for (int b = 0x80; b < 0xA0; ++b) {
    if (chars[b] == c) {
      return b;
    }
  }
  return -1;
}

// Searches for the line ends of UTF-8 text: "\r", "\n" and the three-byte forms of U+2029,
// U+FDD0 and U+FDD1. Returns the length of the break at `i` (0 when there is none).
size_t BreakAt(std::string_view bytes, size_t i, TTextEncoding encoding, TLineBreak& kind) {
  const char c = bytes[i];
  if (c == '\n') {
    kind = TLineBreak::Lf;
    return 1;
  }
  if (c == '\r') {
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      kind = TLineBreak::CrLf;
      return 2;
    }
    kind = TLineBreak::Cr;
    return 1;
  }
  if (encoding != TTextEncoding::Utf8 || i + 2 >= bytes.size()) {
    return 0;
  }
  const std::string_view three = bytes.substr(i, 3);
  if (three == "\xE2\x80\xA9") {
    kind = TLineBreak::ParagraphSeparator;
  } else if (three == "\xEF\xB7\x90") {
    kind = TLineBreak::FrameStart;
  } else if (three == "\xEF\xB7\x91") {
    kind = TLineBreak::FrameEnd;
  } else {
    return 0;
  }
  return 3;
}

bool IsTagEnd(char c) {
  return c == '>';
}
bool IsTagEnd(QChar c) {
  return c == u'>';
}
// Whether a block may begin at `i`: not inside a UTF-8 sequence, not between the two halves
// of a surrogate pair.
bool BeginsCharacter(std::string_view text, size_t i) {
  return (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
}
bool BeginsCharacter(QStringView text, size_t i) {
  return !text[static_cast<qsizetype>(i)].isLowSurrogate();
}

// Where the block after the one that begins at `start` begins: after the last ">" in the
// second half of a block of `longLine`, else after the first ">" within another such length,
// else where the block is full. `end` when the rest fits in one block.
template <typename Text>
size_t NextBlock(Text text, size_t start, size_t longLine) {
  const size_t end = static_cast<size_t>(text.size());
  if (longLine == 0 || end - start <= longLine) {
    return end;
  }
  const size_t full = start + longLine;
  for (size_t i = full; i > start + longLine / 2; --i) {
    if (IsTagEnd(text[i - 1])) {
      return i;
    }
  }
  for (size_t i = full; i < end - 1 && i < full + longLine; ++i) {
    if (IsTagEnd(text[i])) {
      return i + 1;
    }
  }
  size_t split = full;
  while (split > start + 1 && !BeginsCharacter(text, split)) {
    --split;
  }
  return split;
}

constexpr std::pair<TTextEncoding, TUnicodeForm> kUnicodeEncodings[] = {
    {TTextEncoding::Utf16Le, TUnicodeForm::Utf16Le},
    {TTextEncoding::Utf16Be, TUnicodeForm::Utf16Be},
    {TTextEncoding::Utf32Le, TUnicodeForm::Utf32Le},
    {TTextEncoding::Utf32Be, TUnicodeForm::Utf32Be},
};

TUnicodeForm UnicodeFormOf(TTextEncoding encoding) {
  for (const auto& [known, form] : kUnicodeEncodings) {
    if (known == encoding) {
      return form;
    }
  }
  return TUnicodeForm::None;
}

TTextEncoding EncodingOfForm(TUnicodeForm form) {
  for (const auto& [encoding, known] : kUnicodeEncodings) {
    if (known == form) {
      return encoding;
    }
  }
  return TTextEncoding::Utf8;
}

void AppendCharacterReference(char32_t code, std::string& out) {
  out += "&#";
  out += std::to_string(static_cast<uint32_t>(code));
  out += ';';
}

}  // namespace

TTextEncoding TEditorCodec::EncodingOf(std::string_view bytes) {
  if (const TUnicodeForm form = MarkedUnicodeForm(bytes);
      form != TUnicodeForm::None && DecodeUnicode(bytes, form)) {
    return EncodingOfForm(form);
  }
  return IsValidUtf8(bytes) ? TTextEncoding::Utf8 : TTextEncoding::Win1252;
}

std::vector<qsizetype> TEditorCodec::SoftBreaks(QStringView line, size_t longLine) {
  std::vector<qsizetype> breaks;
  for (size_t at = NextBlock(line, 0, longLine); at < static_cast<size_t>(line.size());
       at = NextBlock(line, at, longLine)) {
    breaks.push_back(static_cast<qsizetype>(at));
  }
  return breaks;
}

TDecodedText TEditorCodec::Decode(std::string_view bytes, TTextEncoding encoding, size_t longLine) {
  // UTF-16 and UTF-32 are shown through their UTF-8 form, without the mark, which saving
  // writes again; bytes that do not decode are shown as Windows-1252 like any others.
  if (const TUnicodeForm form = UnicodeFormOf(encoding); form != TUnicodeForm::None) {
    const std::optional<std::string> utf8 = DecodeUnicode(bytes, form);
    TDecodedText result =
        Decode(utf8 ? *utf8 : bytes, utf8 ? TTextEncoding::Utf8 : TTextEncoding::Win1252, longLine);
    if (utf8) {
      result.Encoding = encoding;
    }
    return result;
  }
  TDecodedText result;
  result.Encoding = encoding;
  std::string lines;
  lines.reserve(bytes.size() + (longLine == 0 ? 0 : bytes.size() / longLine));
  const auto appendLine = [&](std::string_view line) {
    for (size_t from = 0;;) {
      const size_t next = NextBlock(line, from, longLine);
      lines.append(line.substr(from, next - from));
      if (next >= line.size()) {
        return;
      }
      lines += '\n';
      result.Breaks.push_back(TLineBreak::Soft);
      from = next;
    }
  };
  size_t start = 0;
  for (size_t i = 0; i < bytes.size();) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n' && c != '\xE2' && c != '\xEF') {
      ++i;
      continue;
    }
    TLineBreak kind;
    const size_t length = BreakAt(bytes, i, encoding, kind);
    if (length == 0) {
      ++i;
      continue;
    }
    appendLine(bytes.substr(start, i - start));
    lines += '\n';
    result.Breaks.push_back(kind);
    i += length;
    start = i;
  }
  appendLine(bytes.substr(start));
  if (encoding == TTextEncoding::Utf8) {
    result.Text = QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
    // The conversion drops a leading byte order mark; the document keeps it.
    if (lines.compare(0, 3, "\xEF\xBB\xBF") == 0 && !result.Text.startsWith(QChar(0xFEFF))) {
      result.Text.prepend(QChar(0xFEFF));
    }
  } else {
    const auto& chars = Win1252Chars();
    result.Text.resize(static_cast<qsizetype>(lines.size()));
    QChar* out = result.Text.data();
    for (const char c : lines) {
      *out++ = QChar(chars[static_cast<unsigned char>(c)]);
    }
  }
  return result;
}

const char* TEditorCodec::BreakBytes(TLineBreak lineBreak, TTextEncoding encoding) {
  switch (lineBreak) {
    case TLineBreak::CrLf:
      return "\r\n";
    case TLineBreak::Lf:
      return "\n";
    case TLineBreak::Cr:
      return "\r";
    case TLineBreak::ParagraphSeparator:
      return encoding == TTextEncoding::Utf8 ? "\xE2\x80\xA9" : "\n";
    case TLineBreak::FrameStart:
      return encoding == TTextEncoding::Utf8 ? "\xEF\xB7\x90" : "\n";
    case TLineBreak::FrameEnd:
      return encoding == TTextEncoding::Utf8 ? "\xEF\xB7\x91" : "\n";
    case TLineBreak::Soft:
      return "";
  }
  return "\n";
}

void TEditorCodec::Encode(QStringView text, const std::vector<TLineBreak>& breaks,
                          TLineBreak defaultBreak, TTextEncoding encoding, std::string& out) {
  if (const TUnicodeForm form = UnicodeFormOf(encoding); form != TUnicodeForm::None) {
    std::string utf8;
    Encode(text, breaks, defaultBreak, TTextEncoding::Utf8, utf8);
    out += EncodeUnicode(utf8, form);
    return;
  }
  size_t nextBreak = 0;
  const auto appendBreak = [&] {
    const TLineBreak kind = nextBreak < breaks.size() ? breaks[nextBreak] : defaultBreak;
    ++nextBreak;
    out += BreakBytes(kind, encoding);
  };
  if (encoding == TTextEncoding::Utf8) {
    // The text converts in one go; in UTF-8 the block separators, the only U+2029 there is in
    // the editor's text, are E2 80 A9, which no other character contains.
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<size_t>(utf8.size()));
    out.reserve(out.size() + bytes.size());
    size_t start = 0;
    for (size_t at = bytes.find("\xE2\x80\xA9"); at != std::string_view::npos;
         at = bytes.find("\xE2\x80\xA9", start)) {
      out.append(bytes.substr(start, at - start));
      appendBreak();
      start = at + 3;
    }
    out.append(bytes.substr(start));
    return;
  }
  out.reserve(out.size() + static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == kParagraphSeparator) {
      appendBreak();
      continue;
    }
    const int b = Win1252Byte(c);
    if (b >= 0) {
      out += static_cast<char>(b);
    } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      AppendCharacterReference(QChar::surrogateToUcs4(c, text[i + 1].unicode()), out);
      ++i;
    } else {
      AppendCharacterReference(c, out);
    }
  }
}

std::string TEditorCodec::SearchBytes(QStringView text) {
  std::string bytes(static_cast<size_t>(text.size()), kNoSearchByte);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == kParagraphSeparator || c == 0x2028) {
      bytes[static_cast<size_t>(i)] = '\n';
    } else if (const int b = Win1252Byte(c); b >= 0) {
      bytes[static_cast<size_t>(i)] = static_cast<char>(b);
    }
  }
  return bytes;
}

TSoftBreakMap::TSoftBreakMap(std::vector<int> positions) : positions_(std::move(positions)) {
  offsets_.reserve(positions_.size());
  for (size_t k = 0; k < positions_.size(); ++k) {
    offsets_.push_back(positions_[k] - static_cast<int>(k));
  }
}

int TSoftBreakMap::TextOffset(int position) const {
  const auto before = std::lower_bound(positions_.begin(), positions_.end(), position);
  return position - static_cast<int>(before - positions_.begin());
}

int TSoftBreakMap::EditorPosition(int offset) const {
  const auto before = std::upper_bound(offsets_.begin(), offsets_.end(), offset);
  return offset + static_cast<int>(before - offsets_.begin());
}

std::pair<int, int> TSoftBreakMap::EditorRange(int offset, int length) const {
  const int start = EditorPosition(offset);
  return {start, length <= 0 ? start : EditorPosition(offset + length - 1) + 1};
}

QString TSoftBreakMap::RealText(QStringView text, int from) const {
  auto soft = std::lower_bound(positions_.begin(), positions_.end(), from);
  if (soft == positions_.end() || *soft >= from + text.size()) {
    return text.toString();
  }
  QString real;
  real.reserve(text.size());
  qsizetype start = 0;
  for (; soft != positions_.end() && *soft < from + text.size(); ++soft) {
    const qsizetype at = *soft - from;
    real += text.mid(start, at - start);
    start = at + 1;
  }
  real += text.mid(start);
  return real;
}

}  // namespace quorvane
