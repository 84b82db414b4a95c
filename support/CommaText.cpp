#include "support/CommaText.h"

namespace quorvane {

namespace {
bool IsSeparatorSpace(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

std::string ExtractQuoted(std::string_view text, size_t& pos) {
  std::string item;
  ++pos;  // opening quote
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        item += '"';
        pos += 2;
        continue;
      }
      ++pos;  // closing quote
      return item;
    }
    item += c;
    ++pos;
  }
  return item;
}
}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  std::vector<std::string> items;
  size_t pos = 0;
  while (pos < text.size() && IsSeparatorSpace(text[pos])) {
    ++pos;
  }
  while (pos < text.size()) {
    if (text[pos] == '"') {
      items.push_back(ExtractQuoted(text, pos));
    } else {
      const size_t start = pos;
      while (pos < text.size() && static_cast<unsigned char>(text[pos]) > 32 && text[pos] != ',') {
        ++pos;
      }
      items.emplace_back(text.substr(start, pos - start));
    }
    while (pos < text.size() && IsSeparatorSpace(text[pos])) {
      ++pos;
    }
    if (pos < text.size() && text[pos] == ',') {
      do {
        ++pos;
      } while (pos < text.size() && IsSeparatorSpace(text[pos]));
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  std::string result;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      result += ',';
    }
    const std::string& item = items[i];
    bool quote = false;
    for (const char c : item) {
      if (static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"') {
        quote = true;
        break;
      }
    }
    if (!quote) {
      result += item;
      continue;
    }
    result += '"';
    for (const char c : item) {
      result += c;
      if (c == '"') {
        result += '"';
      }
    }
    result += '"';
  }
  return result;
}

}  // namespace quorvane
