#include "support/Escapes.h"

namespace quorvane {

namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value >= 0 && value < base ? value : -1;
}

// Reads digits of `base` from `pos`, at most `maxDigits`, and only as long as the code stays at
// most 255. Returns the number of digits read.
size_t ReadCode(std::string_view text, size_t pos, int base, size_t maxDigits, int& code) {
  code = 0;
  size_t count = 0;
  while (count < maxDigits && pos + count < text.size()) {
    const int digit = DigitValue(text[pos + count], base);
    if (digit < 0 || code * base + digit > 255) {
      break;
    }
    code = code * base + digit;
    ++count;
  }
  return count;
}

}  // namespace

size_t ReadEscape(std::string_view text, size_t pos, std::string& out) {
  if (pos + 1 >= text.size()) {
    out += '\\';
    return pos + 1;
  }
  const char c = text[pos + 1];
  switch (c) {
    case '\\':
    case 'e':
      out += '\\';
      return pos + 2;
    case 'a':
      out += '\a';
      return pos + 2;
    case 'b':
      out += '\b';
      return pos + 2;
    case 't':
      out += '\t';
      return pos + 2;
    case 'n':
      out += '\n';
      return pos + 2;
    case 'v':
      out += '\v';
      return pos + 2;
    case 'f':
      out += '\f';
      return pos + 2;
    case 'r':
      out += '\r';
      return pos + 2;
    default:
      break;
  }
  int code = 0;
  if (c >= '0' && c <= '9') {
    const size_t digits = ReadCode(text, pos + 1, 10, 3, code);
    out += static_cast<char>(code);
    return pos + 1 + digits;
  }
  const char lower = static_cast<char>(c | 0x20);
  if ((lower == 'd' || lower == 'x' || lower == 'o') && pos + 2 < text.size() &&
      text[pos + 2] == ':') {
    const int base = lower == 'd' ? 10 : lower == 'x' ? 16 : 8;
    const size_t maxDigits = lower == 'x' ? 2 : 3;
    const size_t digits = ReadCode(text, pos + 3, base, maxDigits, code);
    if (digits > 0) {
      out += static_cast<char>(code);
      return pos + 3 + digits;
    }
  }
  // No escape: the backslash and the character after it stand for themselves.
  out += '\\';
  out += c;
  return pos + 2;
}

std::string DecodeEscapes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t hit = text.find('\\', pos);
    if (hit == std::string_view::npos) {
      result.append(text.substr(pos));
      break;
    }
    result.append(text.substr(pos, hit - pos));
    pos = ReadEscape(text, hit, result);
  }
  return result;
}

}  // namespace quorvane
