#include "shell/VerbEntries.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "batch/ProgramId.h"
#include "platform/FileContent.h"
#include "platform/TemporaryFile.h"
#include "shell/DesktopEntryText.h"
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

// "quorvane-00000701-75e7-11d7-0266-00a024502a20-"
std::string FilePrefix() {
  std::string id = ProgramIdText();
  id = id.substr(1, id.size() - 2);
  for (char& c : id) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return "quorvane-" + id + "-";
}

constexpr std::string_view kSuffix = ".desktop";

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
}

bool IsName(std::string_view text) {
  if (text.empty() || !((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z') ||
                        (text[0] >= '0' && text[0] <= '9'))) {
    return false;
  }
  for (char c : text) {
    if (!IsNameCharacter(c)) {
      return false;
    }
  }
  return true;
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

std::string EntryText(std::string_view mimeType, const std::string& caption,
                      const std::string& command) {
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + EscapeDesktopValue(Win1252ToUtf8(caption)) + "\n";
  if (!command.empty()) {
    text += "Exec=" + EscapeDesktopValue(command) + "\n";
  }
  text += "MimeType=" + std::string(mimeType) + ";\n";
  text += "NoDisplay=true\n";
  return text;
}

}  // namespace

TVerbEntries::TVerbEntries() : TVerbEntries(DefaultDirectory()) {}

TVerbEntries::TVerbEntries(std::string directory) : directory_(std::move(directory)) {}

std::string TVerbEntries::DefaultDirectory() {
  // A relative XDG_DATA_HOME is to be ignored, as the XDG base directories demand.
  const char* configured = std::getenv("XDG_DATA_HOME");
  std::string directory = configured != nullptr && configured[0] == '/'
                              ? std::string(configured)
                              : HomeDirectory() + "/.local/share";
  while (directory.size() > 1 && directory.back() == '/') {
    directory.pop_back();
  }
  return directory + "/applications";
}

bool TVerbEntries::IsValidClass(std::string_view mimeType) {
  const size_t slash = mimeType.find('/');
  return slash != std::string_view::npos && IsName(mimeType.substr(0, slash)) &&
         IsName(mimeType.substr(slash + 1));
}

std::string TVerbEntries::FileNameOf(std::string_view mimeType) {
  std::string name = FilePrefix();
  for (char c : mimeType) {
    name += c == '/' ? '-' : c;
  }
  return name + std::string(kSuffix);
}

std::string TVerbEntries::PathOf(std::string_view mimeType) const {
  return directory_ + "/" + FileNameOf(mimeType);
}

bool TVerbEntries::Exists(std::string_view mimeType) const {
  struct stat st;
  return ::lstat(PathOf(mimeType).c_str(), &st) == 0;
}

TVerbEntries::TFields TVerbEntries::Load(std::string_view mimeType) const {
  std::string content;
  if (ReadWholeFile(PathOf(mimeType), content).Error != TFileError::None) {
    return {};
  }
  const auto keys = ReadDesktopEntry(content);
  TFields fields;
  if (const auto name = keys.find("Name"); name != keys.end()) {
    fields.Caption = Utf8ToWin1252(name->second);
  }
  if (const auto exec = keys.find("Exec"); exec != keys.end()) {
    fields.Command = exec->second;
  }
  return fields;
}

int TVerbEntries::Store(std::string_view mimeType, const TFields& fields) {
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (error) {
    return error.value();
  }
  const std::string path = PathOf(mimeType);
  TTemporaryFile file;
  if (const int created = file.Create(path, 0644); created != 0) {
    return created;
  }
  if (const int written = WriteAll(file.Fd(), EntryText(mimeType, fields.Caption, fields.Command));
      written != 0) {
    return written;
  }
  if (::fsync(file.Fd()) != 0) {
    return errno;
  }
  return file.Commit(path, true);
}

int TVerbEntries::WriteCaption(std::string_view mimeType, const std::string& caption) {
  TFields fields = Load(mimeType);
  fields.Caption = caption;
  return Store(mimeType, fields);
}

int TVerbEntries::WriteCommand(std::string_view mimeType, const std::string& command) {
  TFields fields = Load(mimeType);
  if (fields.Caption.empty()) {
    fields.Caption = "Quorvane";  // a desktop entry must have a name
  }
  fields.Command = command;
  return Store(mimeType, fields);
}

int TVerbEntries::Remove(std::string_view mimeType) {
  if (::unlink(PathOf(mimeType).c_str()) != 0 && errno != ENOENT) {
    return errno;
  }
  return 0;
}

std::vector<TVerbEntry> TVerbEntries::List() const {
  std::vector<TVerbEntry> entries;
  std::error_code error;
  std::filesystem::directory_iterator items(directory_, error);
  if (error) {
    return entries;
  }
  const std::string prefix = FilePrefix();
  for (; items != std::filesystem::directory_iterator(); items.increment(error)) {
    const std::filesystem::directory_entry& item = *items;
    const std::string name = item.path().filename().string();
    if (name.size() <= prefix.size() + kSuffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(kSuffix)) {
      continue;
    }
    std::string content;
    if (ReadWholeFile(item.path().string(), content).Error != TFileError::None) {
      continue;
    }
    const auto keys = ReadDesktopEntry(content);
    const auto mimeTypes = keys.find("MimeType");
    const auto exec = keys.find("Exec");
    if (mimeTypes == keys.end() || exec == keys.end()) {
      continue;
    }
    const std::string mimeType = mimeTypes->second.substr(0, mimeTypes->second.find(';'));
    if (IsValidClass(mimeType)) {
      entries.push_back({mimeType, exec->second});
    }
  }
  return entries;
}

void TVerbEntries::UpdateDatabase() const {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (tool.isEmpty()) {
    return;
  }
  // Only a cache for the desktop: whatever the tool reports about other files is not ours.
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(tool,
                {QStringLiteral("-q"), QFile::decodeName(QByteArray::fromStdString(directory_))});
  if (process.waitForStarted() && !process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
  }
}

}  // namespace quorvane
