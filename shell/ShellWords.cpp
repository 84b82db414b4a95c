#include "shell/ShellWords.h"

#include "support/TextFormat.h"

namespace quorvane {
namespace {

bool IsPlainCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("/._-+,:@=%").find(c) != std::string_view::npos;
}

bool IsFormatLiteral(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("/._-").find(c) != std::string_view::npos;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// Reads the quoted part that starts at `i` (at its opening quote) into `word`; false when it
// does not end.
bool ReadQuoted(std::string_view text, size_t& i, std::string& word) {
  const char quote = text[i++];
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == quote) {
      ++i;
      return true;
    }
    // In double quotes a backslash keeps only these characters from their meaning.
    if (quote == '"' && c == '\\' && i + 1 < text.size() &&
        std::string_view("\"\\$`\n").find(text[i + 1]) != std::string_view::npos) {
      ++i;
      if (text[i] == '\n') {
        continue;
      }
    }
    word += text[i];
  }
  return false;
}

}  // namespace

std::string QuoteShellWord(std::string_view word) {
  bool plain = !word.empty();
  for (char c : word) {
    plain = plain && IsPlainCharacter(c);
  }
  if (plain) {
    return std::string(word);
  }
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::optional<std::vector<std::string>> SplitShellWords(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  for (;;) {
    while (i < text.size() && IsSeparator(text[i])) {
      ++i;
    }
    if (i == text.size()) {
      return words;
    }
    std::string word;
    while (i < text.size() && !IsSeparator(text[i])) {
      if (text[i] == '\'' || text[i] == '"') {
        if (!ReadQuoted(text, i, word)) {
          return std::nullopt;
        }
      } else if (text[i] == '\\' && i + 1 < text.size()) {
        if (text[i + 1] != '\n') {
          word += text[i + 1];
        }
        i += 2;
      } else {
        word += text[i++];
      }
    }
    words.push_back(std::move(word));
  }
}

std::string OctalPrintfFormat(std::string_view text) {
  std::string format;
  for (char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (IsFormatLiteral(c)) {
      format += c;
    } else {
      AppendOctalEscape(format, code);
    }
  }
  return format;
}

std::string DoublePercents(std::string_view text) {
  std::string result;
  for (char c : text) {
    result += c;
    if (c == '%') {
      result += '%';
    }
  }
  return result;
}

}  // namespace quorvane
