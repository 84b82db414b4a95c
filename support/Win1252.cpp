#include "support/Win1252.h"

#include <string.h>

#include <algorithm>

#include "support/UnicodeText.h"

namespace quorvane {

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    c = UpperChar(c);
  }
  return result;
}

bool SameTextNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameCharNoCase);
}

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

int CompareAsciiNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
    const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (ca != cb) {
      return ca < cb ? -1 : 1;
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

size_t FindExact(std::string_view text, std::string_view needle, size_t from) {
  if (from > text.size()) {
    return std::string_view::npos;
  }
  const void* hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data())
             : std::string_view::npos;
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
  if (from > text.size() || needle.size() > text.size() - from) {
    return std::string_view::npos;
  }
  const size_t m = needle.size();
  if (m == 0) {
    return from;
  }
  // Horspool's search without regard to case: the shift after each attempt depends on the
  // text byte under the needle's last position, folded into the table itself.
  const std::string upper = UpperCase(needle);
  std::array<int, 256> lastAt;  // the last position before the end of each folded byte
  lastAt.fill(-1);
  for (size_t k = 0; k + 1 < m; ++k) {
    lastAt[static_cast<unsigned char>(upper[k])] = static_cast<int>(k);
  }
  // Shifts are capped at 255: a shorter shift than possible is always safe.
  std::array<uint8_t, 256> shift;
  for (int b = 0; b < 256; ++b) {
    const int at = lastAt[static_cast<unsigned char>(UpperChar(static_cast<char>(b)))];
    const size_t distance = at < 0 ? m : m - 1 - static_cast<size_t>(at);
    shift[b] = static_cast<uint8_t>(std::min<size_t>(distance, 255));
  }
  const char last = upper[m - 1];
  const char* const data = text.data();
  const size_t end = text.size() - m;
  for (size_t i = from; i <= end;) {
    const char c = data[i + m - 1];
    if (UpperChar(c) == last) {
      size_t k = 0;
      while (k + 1 < m && UpperChar(data[i + k]) == upper[k]) {
        ++k;
      }
      if (k + 1 == m) {
        return i;
      }
    }
    i += shift[static_cast<unsigned char>(c)];
  }
  return std::string_view::npos;
}

namespace {
// Lower-case letters that the capitalisation of texts knows, and their capitals.
constexpr std::string_view kLowerAccented =
    "\xE4\xE1\xE0\xE2\xE3\xE5\xE6\xE7\xEB\xE9\xE8\xEA\xEF\xED\xEC\xEE\xF0\xF1\xF6\xF3\xF2\xF4"
    "\xF5\x9C\x9A\xF8\xFC\xFA\xF9\xFB\xFF\xFD\xFE";
constexpr std::string_view kUpperAccented =
    "\xC4\xC1\xC0\xC2\xC3\xC5\xC6\xC7\xCB\xC9\xC8\xCA\xCF\xCD\xCC\xCE\xD0\xD1\xD6\xD3\xD2\xD4"
    "\xD5\x8C\x8A\xD8\xDC\xDA\xD9\xDB\x9F\xDD\xDE";
static_assert(kLowerAccented.size() == 33 && kUpperAccented.size() == 33);
}  // namespace

std::string CapText(std::string_view text, std::string_view suffix) {
  if (text.empty()) {
    return {};
  }
  std::string result;
  result.reserve(text.size() + suffix.size());
  result.append(text);
  char& first = result[0];
  if (first >= 'a' && first <= 'z') {
    first = static_cast<char>(first - 32);
  } else if (const size_t at = kLowerAccented.find(first); at != std::string_view::npos) {
    first = kUpperAccented[at];
  }
  result.append(suffix);
  return result;
}

namespace {
// Code points of the bytes 0x80 to 0x9F; the undefined ones stand for themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char Win1252Of(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    return static_cast<char>(cp);
  }
  for (size_t i = 0; i < 32; ++i) {
    if (kHighControls[i] == cp) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}
}  // namespace

char32_t Win1252CodePoint(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

std::string Win1252ToUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    AppendUtf8(result, Win1252CodePoint(c));
  }
  return result;
}

std::string Utf8ToWin1252(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(text, pos, cp);
    result += length == 0 ? '?' : Win1252Of(cp);
    pos += length == 0 ? 1 : length;
  }
  return result;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(text, pos, cp);
    if (length == 0) {
      return false;
    }
    pos += length;
  }
  return true;
}

std::string TrimWhiteSpace(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsWhiteSpace(text[first])) {
    ++first;
  }
  while (last > first && IsWhiteSpace(text[last - 1])) {
    --last;
  }
  return std::string(text.substr(first, last - first));
}

}  // namespace quorvane
