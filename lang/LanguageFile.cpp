#include "lang/LanguageFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "support/Escapes.h"
#include "support/TextFormat.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && IsBlank(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

// The part of the line before its first "#" outside double quotes.
std::string_view StripComment(std::string_view content) {
  bool quoted = false;
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '"') {
      quoted = !quoted;
    } else if (content[i] == '#' && !quoted) {
      return content.substr(0, i);
    }
  }
  return content;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading. Anything else at the name (a directory, a FIFO, a device)
// counts as missing and is never opened: a FIFO would block until some other process writes
// to it.
int OpenForReading(const std::string& fileName, FilePtr& file) {
  if (fileName.empty()) {
    return ENOENT;
  }
  std::error_code error;
  const auto status = std::filesystem::status(fileName, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return ENOENT;
  }
  errno = 0;
  file.reset(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    return errno != 0 ? errno : ENOENT;
  }
  return 0;
}

// Feeds each line, without its LF or CR LF, to `visit` until it returns false.
int ForEachLine(std::FILE* file, const std::function<bool(std::string_view)>& visit) {
  std::string pending;
  size_t searched = 0;  // no line feed before this position of `pending`
  char buffer[4096];
  bool going = true;
  while (going) {
    const size_t count = std::fread(buffer, 1, sizeof buffer, file);
    if (count == 0) {
      break;
    }
    pending.append(buffer, count);
    size_t start = 0;
    for (size_t end; going && (end = pending.find('\n', searched)) != std::string::npos;
         start = searched = end + 1) {
      std::string_view line(pending.data() + start, end - start);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      }
      going = visit(line);
    }
    pending.erase(0, start);
    searched = pending.size();
  }
  if (std::ferror(file)) {
    return errno != 0 ? errno : EIO;
  }
  if (going && !pending.empty()) {
    std::string_view line(pending);
    if (line.back() == '\r') {
      line.remove_suffix(1);
    }
    visit(line);
  }
  return 0;
}

}  // namespace

bool ParseLanguageLine(std::string_view line, std::string& key, std::string& value) {
  size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) {
    ++first;
  }
  if (first == line.size() || line[first] == '#') {
    return false;
  }
  const std::string_view content = StripComment(line.substr(first));
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    return false;
  }
  const std::string_view trimmedKey = TrimBlanks(content.substr(0, equals));
  if (trimmedKey.empty()) {
    return false;
  }
  std::string_view rawValue = content.substr(equals + 1);
  const std::string_view trimmedValue = TrimBlanks(rawValue);
  if (trimmedValue.size() >= 2 && trimmedValue.front() == trimmedValue.back() &&
      (trimmedValue.front() == '"' || trimmedValue.front() == '\'')) {
    rawValue = trimmedValue.substr(1, trimmedValue.size() - 2);
  }
  key.assign(trimmedKey);
  value.assign(rawValue);
  return true;
}

std::string DecodeLanguageValue(std::string_view raw) {
  static constexpr std::string_view kEntities[][2] = {
      {"&auml;", "\xE4"}, {"&Auml;", "\xC4"}, {"&uuml;", "\xFC"},  {"&Uuml;", "\xDC"},
      {"&ouml;", "\xF6"}, {"&Ouml;", "\xD6"}, {"&szlig;", "\xDF"}, {"&amp;", "&"},
  };
  std::string text = DecodeEscapes(raw);
  if (text.find('&') == std::string::npos) {
    return text;
  }
  for (const auto& [entity, character] : kEntities) {
    if (text.find(entity) != std::string::npos) {
      text = ReplaceAll(text, entity, character);
    }
  }
  return text;
}

std::optional<uint32_t> ParseTextId(std::string_view key) {
  if (key.empty() || key.size() > 8) {
    return std::nullopt;
  }
  uint32_t id = 0;
  for (const char c : key) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    id = id << 4 | digit;
  }
  return id;
}

int ForEachLanguageEntry(
    const std::string& fileName,
    const std::function<bool(const std::string& key, const std::string& value)>& visit) {
  FilePtr file;
  if (const int error = OpenForReading(fileName, file); error != 0) {
    return error;
  }
  std::string key;
  std::string value;
  return ForEachLine(file.get(), [&](std::string_view line) {
    return !ParseLanguageLine(line, key, value) || visit(key, value);
  });
}

std::optional<std::string> FindLanguageValue(const std::string& fileName, std::string_view key) {
  std::optional<std::string> found;
  ForEachLanguageEntry(fileName, [&](const std::string& entryKey, const std::string& value) {
    if (!SameTextNoCase(entryKey, key)) {
      return true;
    }
    found = value;
    return false;
  });
  return found;
}

std::string ReadLanguageValue(const std::string& fileName, std::string_view key) {
  return FindLanguageValue(fileName, key).value_or(std::string());
}

}  // namespace quorvane
