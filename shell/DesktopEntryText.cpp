#include "shell/DesktopEntryText.h"

namespace quorvane {
namespace {

constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
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

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  const std::string text = DoublePercents(argument);
  if (!text.empty() && text.find_first_of(kReservedInExec) == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    if (kEscapedInQuotes.find(c) != std::string_view::npos) {
      quoted += '\\';
    }
    quoted += c;
  }
  return quoted + '"';
}

std::optional<std::vector<std::string>> SplitExecValue(std::string_view value) {
  std::vector<std::string> arguments;
  size_t i = 0;
  for (;;) {
    while (i < value.size() && (IsBlank(value[i]) || value[i] == '\n')) {
      ++i;
    }
    if (i == value.size()) {
      return arguments;
    }
    std::string argument;
    while (i < value.size() && !IsBlank(value[i]) && value[i] != '\n') {
      if (value[i] != '"') {
        argument += value[i++];
        continue;
      }
      for (++i;; ++i) {
        if (i == value.size()) {
          return std::nullopt;
        }
        if (value[i] == '"') {
          ++i;
          break;
        }
        if (value[i] == '\\' && i + 1 < value.size() &&
            kEscapedInQuotes.find(value[i + 1]) != std::string_view::npos) {
          ++i;
        }
        argument += value[i];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

bool SameExecValue(std::string_view a, std::string_view b) {
  const auto argumentsA = SplitExecValue(a);
  const auto argumentsB = SplitExecValue(b);
  if (argumentsA && argumentsB) {
    return *argumentsA == *argumentsB;
  }
  return a == b;
}

std::string EscapeDesktopValue(std::string_view value) {
  const size_t first = value.find_first_not_of(' ');
  const size_t last = value.find_last_not_of(' ');
  std::string result;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ' ' && (first == std::string_view::npos || i < first || i > last)) {
      result += "\\s";
    } else if (c == '\\') {
      result += "\\\\";
    } else if (c == '\n') {
      result += "\\n";
    } else if (c == '\r') {
      result += "\\r";
    } else if (c == '\t') {
      result += "\\t";
    } else {
      result += c;
    }
  }
  return result;
}

std::string UnescapeDesktopValue(std::string_view value) {
  std::string result;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      result += value[i];
      continue;
    }
    switch (value[i + 1]) {
      case 's':
        result += ' ';
        break;
      case 'n':
        result += '\n';
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      case '\\':
        result += '\\';
        break;
      default:  // not an escape: both characters stay
        result += value[i];
        continue;
    }
    ++i;
  }
  return result;
}

std::map<std::string, std::string> ReadDesktopEntry(std::string_view content) {
  std::map<std::string, std::string> keys;
  bool inEntryGroup = false;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string_view::npos) {
      end = content.size();
    }
    std::string_view line = content.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      inEntryGroup = line == "[Desktop Entry]";
      continue;
    }
    const size_t equals = line.find('=');
    if (!inEntryGroup || equals == std::string_view::npos) {
      continue;
    }
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && IsBlank(key.back())) {
      key.remove_suffix(1);
    }
    std::string_view value = line.substr(equals + 1);
    while (!value.empty() && IsBlank(value.front())) {
      value.remove_prefix(1);
    }
    keys.emplace(std::string(key), UnescapeDesktopValue(value));
  }
  return keys;
}

}  // namespace quorvane
