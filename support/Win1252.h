#pragma once

// The support library: plain functions on 8-bit text, with no Qt and no system calls. Failure:
// what cannot be had is an empty result (nothing for a pattern that does not compile or a page
// that does not decode, "?" for a character without a byte); nothing here throws or shows
// anything.

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

namespace detail {
constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = static_cast<unsigned char>(c);
  }
  for (int c = 'a'; c <= 'z'; ++c) {
    table[c] = static_cast<unsigned char>(c - 32);
  }
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c != 0xF7) {
      table[c] = static_cast<unsigned char>(c - 32);
    }
  }
  table[0x9A] = 0x8A;  // s caron
  table[0x9C] = 0x8C;  // oe ligature
  table[0x9E] = 0x8E;  // z caron
  table[0xFF] = 0x9F;  // y diaeresis
  return table;
}
inline constexpr std::array<unsigned char, 256> kUpperTable = MakeUpperTable();
}  // namespace detail

// The one Windows-1252 upper-casing behind every case-insensitive comparison of the engine.
inline char UpperChar(char c) {
  return static_cast<char>(detail::kUpperTable[static_cast<unsigned char>(c)]);
}

inline bool SameCharNoCase(char a, char b) {
  return UpperChar(a) == UpperChar(b);
}

std::string UpperCase(std::string_view text);

// The two case-insensitive comparisons of the program. Windows-1252 (UpperChar) for what the
// engine and the language files compare: tag and attribute names, keys.
bool SameTextNoCase(std::string_view a, std::string_view b);

// The letters A to Z only, for names compared as written apart from the case of those letters:
// recently used files, include chains, tag list order, settings keys, terminal answers.
inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool SameAsciiNoCase(std::string_view a, std::string_view b);
// Byte order after AsciiUpper: negative, 0 or positive.
int CompareAsciiNoCase(std::string_view a, std::string_view b);

// Space, carriage return, line feed, tab, form feed and vertical tab.
inline bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\v';
}

// The text without white space at either end.
std::string TrimWhiteSpace(std::string_view text);

inline bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// Exact search of `needle` in `text` from `from`; npos when absent. Faster than
// std::string_view::find when the needle's first character is frequent.
size_t FindExact(std::string_view text, std::string_view needle, size_t from);

// Case-insensitive search of `needle` in `text` from `from`; npos when absent.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from);

// Upper-cases the first character (ASCII letters and the accented letters of the code page
// that have a capital form) and appends `suffix`. An empty text stays empty, without suffix.
std::string CapText(std::string_view text, std::string_view suffix = {});

// The Unicode character of a Windows-1252 byte; the five bytes that the code page leaves
// undefined stand for the code points of the same number.
char32_t Win1252CodePoint(char c);

// Windows-1252 text as UTF-8. The five bytes that the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the code points of the same number, so every byte string survives
// the round trip through Utf8ToWin1252.
std::string Win1252ToUtf8(std::string_view text);

// UTF-8 text as Windows-1252. A character without a Windows-1252 form, and each byte of a
// malformed sequence, becomes "?".
std::string Utf8ToWin1252(std::string_view text);

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or code points above
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace quorvane
