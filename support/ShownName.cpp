#include "support/ShownName.h"

#include "support/TextFormat.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

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

bool IsAsciiControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

bool IsWin1252Undefined(unsigned char c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::string Escaped(std::string_view text, bool (*needsEscape)(unsigned char)) {
  std::string shown;
  shown.reserve(text.size());
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == '\\') {
      shown += "\\\\";
    } else if (!IsAsciiControl(c) && !needsEscape(c)) {
      shown += byte;
    } else if (const char letter = ShortEscape(c); letter != 0) {
      shown += '\\';
      shown += letter;
    } else {
      AppendOctalEscape(shown, c);
    }
  }
  return shown;
}

}  // namespace

std::string ShownName(std::string_view name) {
  return Escaped(IsValidUtf8(name) ? Utf8ToWin1252(name) : std::string(name), IsWin1252Undefined);
}

std::string EscapedName(std::string_view name) {
  return Escaped(name, [](unsigned char) { return false; });
}

}  // namespace quorvane
