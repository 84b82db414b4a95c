#include "support/ShownName.h"

#include "support/TextFormat.h"
#include "support/UnicodeText.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The letter of the short escape of a control character; 0 when it has none.
char ShortEscape(unsigned char c) {
  switch (c) {
    case '\a':
      return 'a';
    case '\b':
      return 'b';
    case '\t':
      return 't';
    case '\n':
      return 'n';
    case '\v':
      return 'v';
    case '\f':
      return 'f';
    case '\r':
      return 'r';
    default:
      return 0;
  }
}

void AppendEscapedAscii(std::string& shown, unsigned char c) {
  if (c == '\\') {
    shown += "\\\\";
  } else if (c >= 0x20 && c != 0x7F) {
    shown += static_cast<char>(c);
  } else if (const char letter = ShortEscape(c); letter != 0) {
    shown += '\\';
    shown += letter;
  } else {
    AppendOctalEscape(shown, c);
  }
}

// Appends the UTF-8 sequence at `pos` (U+FFFD for a byte that starts none) and returns its
// length; C1 control characters as octal escapes when `escapeControls`.
size_t AppendCharacter(std::string& shown, std::string_view text, size_t pos, bool escapeControls) {
  char32_t cp;
  const size_t length = DecodeUtf8(text, pos, cp);
  if (length == 0) {
    AppendUtf8(shown, kReplacementCharacter);
    return 1;
  }
  if (escapeControls && cp >= 0x80 && cp <= 0x9F) {
    for (size_t i = 0; i < length; ++i) {
      AppendOctalEscape(shown, static_cast<unsigned char>(text[pos + i]));
    }
  } else {
    shown.append(text.substr(pos, length));
  }
  return length;
}

}  // namespace

std::string DisplayName(std::string_view name) {
  std::string shown;
  shown.reserve(name.size());
  for (size_t pos = 0; pos < name.size();) {
    const auto c = static_cast<unsigned char>(name[pos]);
    if (c < 0x80) {
      AppendEscapedAscii(shown, c);
      ++pos;
    } else {
      pos += AppendCharacter(shown, name, pos, true);
    }
  }
  return shown;
}

std::string ShownName(std::string_view name) {
  return kNameStart + DisplayName(name) + kNameEnd;
}

std::string ShownText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size() + text.size() / 8);
  bool inName = false;
  for (size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (c == kNameStart || c == kNameEnd) {
      inName = c == kNameStart;
      ++pos;
    } else if (!inName) {
      AppendUtf8(shown, Win1252CodePoint(c));
      ++pos;
    } else {
      // A name cut short (a text shortened to its first characters) stays valid UTF-8.
      pos += AppendCharacter(shown, text, pos, false);
    }
  }
  return shown;
}

}  // namespace quorvane
