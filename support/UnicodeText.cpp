#include "support/UnicodeText.h"

#include "support/Win1252.h"

namespace quorvane {

namespace {

std::string_view MarkOf(TUnicodeForm form) {
  using namespace std::string_view_literals;
  switch (form) {
    case TUnicodeForm::Utf16Le:
      return "\xFF\xFE"sv;
    case TUnicodeForm::Utf16Be:
      return "\xFE\xFF"sv;
    case TUnicodeForm::Utf32Le:
      return "\xFF\xFE\0\0"sv;
    case TUnicodeForm::Utf32Be:
      return "\0\0\xFE\xFF"sv;
    case TUnicodeForm::None:
      break;
  }
  return {};
}

bool IsLittleEndian(TUnicodeForm form) {
  return form == TUnicodeForm::Utf16Le || form == TUnicodeForm::Utf32Le;
}

char32_t ReadUnit(const char* at, size_t size, bool littleEndian) {
  char32_t unit = 0;
  for (size_t k = 0; k < size; ++k) {
    const auto byte = static_cast<unsigned char>(at[littleEndian ? size - 1 - k : k]);
    unit = (unit << 8) | byte;
  }
  return unit;
}

void AppendUnit(std::string& out, char32_t unit, size_t size, bool littleEndian) {
  for (size_t k = 0; k < size; ++k) {
    const size_t shift = 8 * (littleEndian ? k : size - 1 - k);
    out += static_cast<char>((unit >> shift) & 0xFF);
  }
}

bool IsSurrogate(char32_t cp) {
  return cp >= 0xD800 && cp <= 0xDFFF;
}

}  // namespace

size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  // Lead bytes 0x80 to 0xC1 and above 0xF4 never start a well-formed sequence.
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0) {
    return 0;
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const char32_t min = kSmallest[length];
  cp = lead & (0x7F >> length);
  if (length > text.size() - pos) {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      return 0;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  return cp < min || cp > 0x10FFFF || IsSurrogate(cp) ? 0 : length;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

TUnicodeForm MarkedUnicodeForm(std::string_view bytes) {
  if (bytes.starts_with(MarkOf(TUnicodeForm::Utf32Be))) {
    return TUnicodeForm::Utf32Be;
  }
  if (bytes.starts_with(MarkOf(TUnicodeForm::Utf32Le))) {
    // FF FE 00 00 also starts a UTF-16 LE page whose first character is U+0000. The page is
    // taken as UTF-32 LE only when the whole of it decodes cleanly so; as UTF-16 text it would
    // then have to hold a control character (0000 to 0010) in every second place.
    return DecodeUnicode(bytes, TUnicodeForm::Utf32Le) ? TUnicodeForm::Utf32Le
                                                       : TUnicodeForm::Utf16Le;
  }
  if (bytes.starts_with(MarkOf(TUnicodeForm::Utf16Le))) {
    return TUnicodeForm::Utf16Le;
  }
  if (bytes.starts_with(MarkOf(TUnicodeForm::Utf16Be))) {
    return TUnicodeForm::Utf16Be;
  }
  return TUnicodeForm::None;
}

size_t CodeUnitSize(TUnicodeForm form) {
  switch (form) {
    case TUnicodeForm::Utf16Le:
    case TUnicodeForm::Utf16Be:
      return 2;
    case TUnicodeForm::Utf32Le:
    case TUnicodeForm::Utf32Be:
      return 4;
    case TUnicodeForm::None:
      break;
  }
  return 1;
}

std::optional<std::string> DecodeUnicode(std::string_view bytes, TUnicodeForm form) {
  const std::string_view mark = MarkOf(form);
  const size_t size = CodeUnitSize(form);
  if (form == TUnicodeForm::None || !bytes.starts_with(mark) ||
      (bytes.size() - mark.size()) % size != 0) {
    return std::nullopt;
  }
  const bool little = IsLittleEndian(form);
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = mark.size(); i < bytes.size(); i += size) {
    char32_t cp = ReadUnit(bytes.data() + i, size, little);
    if (size == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 2 * size <= bytes.size()) {
      const char32_t low = ReadUnit(bytes.data() + i + size, size, little);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += size;
      }
    }
    if (IsSurrogate(cp) || cp > 0x10FFFF) {
      return std::nullopt;
    }
    AppendUtf8(text, cp);
  }
  return text;
}

std::string EncodeUnicode(std::string_view utf8, TUnicodeForm form) {
  if (form == TUnicodeForm::None) {
    return std::string(utf8);
  }
  const size_t size = CodeUnitSize(form);
  const bool little = IsLittleEndian(form);
  std::string bytes(MarkOf(form));
  bytes.reserve(bytes.size() + utf8.size() * size);
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(utf8, pos, cp);
    if (length == 0) {
      cp = Win1252CodePoint(utf8[pos]);
      length = 1;
    }
    pos += length;
    if (size == 2 && cp >= 0x10000) {
      AppendUnit(bytes, 0xD800 + ((cp - 0x10000) >> 10), size, little);
      AppendUnit(bytes, 0xDC00 + (cp & 0x3FF), size, little);
    } else {
      AppendUnit(bytes, cp, size, little);
    }
  }
  return bytes;
}

}  // namespace quorvane
