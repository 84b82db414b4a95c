#include "shell/ActionFiles.h"

#include <pwd.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "batch/ProgramId.h"
#include "platform/TemporaryFile.h"
#include "shell/FileTypes.h"
#include "shell/KeyFileActions.h"
#include "shell/NautilusScripts.h"
#include "shell/ThunarActions.h"
#include "support/Paths.h"
#include "support/Win1252.h"

namespace quorvane {
namespace {

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::string WithoutTrailingSlashes(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') {
    directory.pop_back();
  }
  return directory;
}

// A base directory from the environment; relative ones are to be ignored, as the XDG base
// directories demand.
std::string BaseDirectory(const char* variable, const std::string& fallback) {
  const char* configured = std::getenv(variable);
  return WithoutTrailingSlashes(configured != nullptr && configured[0] == '/' ? configured
                                                                              : fallback);
}

int WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t count = ::write(fd, data.data(), data.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return errno;
    }
    data.remove_prefix(static_cast<size_t>(count));
  }
  return 0;
}

bool IsPatternCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("._+-").find(c) != std::string_view::npos;
}

}  // namespace

TActionDirectories TActionDirectories::FromEnvironment() {
  const std::string home = HomeDirectory();
  TActionDirectories directories;
  directories.DataHome = BaseDirectory("XDG_DATA_HOME", home + "/.local/share");
  directories.ConfigHome = BaseDirectory("XDG_CONFIG_HOME", home + "/.config");
  const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
  std::string_view list = configDirs != nullptr && *configDirs != '\0' ? configDirs : "/etc/xdg";
  while (!list.empty()) {
    const size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (!entry.empty() && entry.front() == '/') {
      directories.ConfigDirs.push_back(WithoutTrailingSlashes(std::string(entry)));
    }
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
  }
  return directories;
}

std::vector<std::unique_ptr<TFileManagerActions>> AllFileManagerActions(
    const TActionDirectories& directories) {
  std::vector<std::unique_ptr<TFileManagerActions>> places;
  places.push_back(std::make_unique<TDolphinServiceMenu>(directories.DataHome));
  places.push_back(std::make_unique<TNautilusScripts>(directories.DataHome));
  places.push_back(std::make_unique<TNemoAction>(directories.DataHome));
  places.push_back(std::make_unique<TThunarActions>(directories));
  return places;
}

std::string ActionName() {
  std::string id = ProgramIdText();
  id = id.substr(1, id.size() - 2);
  std::transform(id.begin(), id.end(), id.begin(), AsciiLower);
  return "quorvane-" + id;
}

int ReplaceOwnFile(const std::string& path, std::string_view content, mode_t mode) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) {
    return error.value();
  }
  TTemporaryFile file;
  if (const int created = file.Create(path, mode); created != 0) {
    return created;
  }
  if (const int written = WriteAll(file.Fd(), content); written != 0) {
    return written;
  }
  if (::fsync(file.Fd()) != 0) {
    return errno;
  }
  return file.Commit(path, true);
}

int RemoveFileAndEmptyDirectories(const std::string& path, const std::string& top) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return errno;
  }
  std::string directory = WithoutTrailingSlashes(std::string(ExtractFilePath(path)));
  while (directory.size() > top.size() && directory.starts_with(top + "/") &&
         ::rmdir(directory.c_str()) == 0) {
    directory = WithoutTrailingSlashes(std::string(ExtractFilePath(directory)));
  }
  return 0;
}

std::string ClassListValue(const TClassList& classes) {
  std::string value;
  for (const std::string& mimeType : classes) {
    value += mimeType + ";";
  }
  return value;
}

TClassList ClassesOfListValue(std::string_view value) {
  TClassList classes;
  while (!value.empty()) {
    const size_t semicolon = value.find(';');
    if (const std::string_view item = value.substr(0, semicolon); IsValidClassName(item)) {
      classes.emplace_back(item);
    }
    value = semicolon == std::string_view::npos ? std::string_view() : value.substr(semicolon + 1);
  }
  return classes;
}

std::string CaptionFileText(std::string_view caption) {
  return Win1252ToUtf8(caption);
}

std::string CaptionOfFileText(std::string_view text) {
  return IsValidUtf8(text) ? Utf8ToWin1252(text) : std::string(text);
}

std::vector<std::string> PatternExtensions(const TClassList& classes) {
  std::vector<std::string> extensions;
  for (const std::string& mimeType : classes) {
    for (std::string& extension : ExtensionsOfClass(mimeType)) {
      if (std::all_of(extension.begin(), extension.end(), IsPatternCharacter) &&
          std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
        extensions.push_back(std::move(extension));
      }
    }
  }
  return extensions;
}

}  // namespace quorvane
