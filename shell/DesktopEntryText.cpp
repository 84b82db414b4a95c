#include "shell/DesktopEntryText.h"

#include "shell/ShellWords.h"

namespace quorvane {
namespace {

constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
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

std::string ExecProgram(std::string_view value) {
  const auto arguments = SplitExecValue(value);
  if (!arguments || arguments->empty()) {
    return {};
  }
  std::string program;
  const std::string& first = arguments->front();
  for (size_t i = 0; i < first.size(); ++i) {
    program += first[i];
    if (first[i] == '%' && i + 1 < first.size() && first[i + 1] == '%') {
      ++i;
    }
  }
  return program;
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

std::map<std::string, std::string> ReadKeyFileGroup(std::string_view content,
                                                    std::string_view group) {
  std::map<std::string, std::string> keys;
  bool inGroup = false;
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
      inGroup = line.size() == group.size() + 2 && line.back() == ']' &&
                line.substr(1, group.size()) == group;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inGroup || equals == std::string_view::npos) {
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
