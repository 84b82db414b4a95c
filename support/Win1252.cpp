#include "support/Win1252.h"

#include <string.h>

namespace quorvane {

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    c = UpperChar(c);
  }
  return result;
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
  // Horspool's search over upper-cased characters: the shift after a mismatch depends on the
  // text character under the needle's last position.
  const std::string upper = UpperCase(needle);
  std::array<size_t, 256> shift;
  shift.fill(m);
  for (size_t k = 0; k + 1 < m; ++k) {
    shift[static_cast<unsigned char>(upper[k])] = m - 1 - k;
  }
  const char last = upper[m - 1];
  for (size_t i = from; i + m <= text.size();) {
    const char c = UpperChar(text[i + m - 1]);
    if (c == last) {
      size_t k = 0;
      while (k + 1 < m && UpperChar(text[i + k]) == upper[k]) {
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

}  // namespace quorvane
