#include "platform/WriteJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <optional>

#include "platform/FileIo.h"
#include "platform/FileLocation.h"
#include "platform/TemporaryFile.h"

namespace quorvane {
namespace {

constexpr std::string_view kMagic = "quorvane journal 1\n";
constexpr std::string_view kBesidePrefix = ".quorvane_journal-";

// What a journal says about the file it belongs to.
struct TJournalHeader {
  dev_t Device = 0;
  ino_t Inode = 0;
  timespec Modified{};
  std::string Path;
};

std::string JournalKey(const struct stat& status) {
  return std::to_string(status.st_dev) + "-" + std::to_string(status.st_ino);
}

// Creates a folder when it is missing; true when it is there afterwards.
bool EnsureDirectory(const std::string& path) {
  return SystemCalls().MkdirAt(AT_FDCWD, path.c_str(), 0700) == 0 || errno == EEXIST;
}

struct TStateDirectory {
  TFileDescriptor Fd;
  std::string Path;
};

// The user's state folder; empty when there is none.
std::string StateHome() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
    return state;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return std::string(home) + "/.local/state";
  }
  return {};
}

std::string JournalDirectoryPath(const std::string& base) {
  return base + "/quorvane/journals/";
}

// The user's journal folder, opened; with `create` it is made when missing. A folder that is
// a link or belongs to somebody else is never used.
TStateDirectory OpenStateDirectory(bool create) {
  const std::string base = StateHome();
  if (base.empty()) {
    return TStateDirectory();
  }
  if (create) {
    for (size_t slash = base.find('/', 1); slash != std::string::npos;
         slash = base.find('/', slash + 1)) {
      EnsureDirectory(base.substr(0, slash));
    }
    if (!EnsureDirectory(base) || !EnsureDirectory(base + "/quorvane") ||
        !EnsureDirectory(base + "/quorvane/journals")) {
      return TStateDirectory();
    }
  }
  TStateDirectory dir{TFileDescriptor(), JournalDirectoryPath(base)};
  dir.Fd.Reset(SystemCalls().OpenAt(AT_FDCWD, dir.Path.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0));
  struct stat status;
  if (dir.Fd.Valid() &&
      (SystemCalls().Fstat(dir.Fd.Get(), &status) != 0 || status.st_uid != ::geteuid())) {
    dir.Fd.Close();
  }
  return dir;
}

std::string HeaderText(const struct stat& status, std::string_view path) {
  return std::string(kMagic) + std::to_string(status.st_dev) + " " + std::to_string(status.st_ino) +
         " " + std::to_string(status.st_size) + " " + std::to_string(status.st_mtim.tv_sec) + " " +
         std::to_string(status.st_mtim.tv_nsec) + "\n" + std::string(path) + '\0';
}

template <typename T>
bool ReadNumber(std::string_view& text, char end, T& value) {
  const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || rest == text.data() + text.size() || *rest != end) {
    return false;
  }
  text.remove_prefix(static_cast<size_t>(rest - text.data()) + 1);
  return true;
}

// Splits a journal into its header and the old content; nothing when it is no whole journal.
std::optional<std::string_view> ParseJournal(std::string_view journal, TJournalHeader& header) {
  if (journal.substr(0, kMagic.size()) != kMagic) {
    return std::nullopt;
  }
  std::string_view rest = journal.substr(kMagic.size());
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
  if (!ReadNumber(rest, ' ', device) || !ReadNumber(rest, ' ', inode) ||
      !ReadNumber(rest, ' ', size) || !ReadNumber(rest, ' ', seconds) ||
      !ReadNumber(rest, '\n', nanoseconds)) {
    return std::nullopt;
  }
  const size_t pathEnd = rest.find('\0');
  if (pathEnd == std::string_view::npos || rest.size() - pathEnd - 1 != size) {
    return std::nullopt;
  }
  header.Device = static_cast<dev_t>(device);
  header.Inode = static_cast<ino_t>(inode);
  header.Modified = {static_cast<time_t>(seconds), static_cast<long>(nanoseconds)};
  header.Path = rest.substr(0, pathEnd);
  return rest.substr(pathEnd + 1);
}

// A journal found for a file: its folder, its name there and its content.
struct TFoundJournal {
  TFileDescriptor Directory;
  std::string Name;
  std::string DirectoryPath;
  std::string Content;
};

// Reads the journal `name` in `dir` when it is a regular file of this user.
bool ReadJournal(int dir, const std::string& name, std::string& content) {
  TFileDescriptor file(SystemCalls().OpenAt(
      dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
  struct stat status;
  return file.Valid() && SystemCalls().Fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
         status.st_uid == ::geteuid() &&
         ReadToEnd(file.Get(), static_cast<size_t>(status.st_size), content);
}

std::optional<TFoundJournal> FindJournal(const struct stat& file, const TFileLocation& location) {
  TFoundJournal found;
  TStateDirectory state = OpenStateDirectory(false);
  found.Directory = std::move(state.Fd);
  found.Name = JournalKey(file);
  if (found.Directory.Valid() && ReadJournal(found.Directory.Get(), found.Name, found.Content)) {
    found.DirectoryPath = state.Path;
    return found;
  }
  found.Directory.Reset(::fcntl(location.Directory.Get(), F_DUPFD_CLOEXEC, 0));
  found.Name = std::string(kBesidePrefix) + JournalKey(file);
  if (found.Directory.Valid() && ReadJournal(found.Directory.Get(), found.Name, found.Content)) {
    found.DirectoryPath = location.DirectoryPath;
    return found;
  }
  return std::nullopt;
}

bool JournalExists(int dir, const std::string& name) {
  struct stat status;
  return SystemCalls().FstatAt(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// Writes the old content back into the file, where it lies, and gives it its old date.
bool PutBack(int fd, std::string_view content, const timespec& modified) {
  const std::array<timespec, 2> times{timespec{0, UTIME_OMIT}, modified};
  return OverwriteContent(fd, content) && SystemCalls().Futimens(fd, times.data()) == 0 &&
         SystemCalls().Fsync(fd) == 0;
}

// Writes a whole journal into `dir` under `name`, durably. 0 or the errno.
int WriteJournalFile(int dir, const std::string& name, const std::string& header,
                     std::string_view content) {
  TTemporaryFile file;
  if (const int error = file.Create(dir, name, S_IRUSR | S_IWUSR); error != 0) {
    return error;
  }
  if (!WriteAllAt(file.Fd(), header, 0) ||
      !WriteAllAt(file.Fd(), content, static_cast<off_t>(header.size())) ||
      SystemCalls().Fsync(file.Fd()) != 0) {
    return errno;
  }
  if (const int error = file.LinkAs(name); error != 0) {
    return error;
  }
  if (const int error = FlushDirectory(dir); error != 0) {
    SystemCalls().UnlinkAt(dir, name.c_str(), 0);
    return error;
  }
  return 0;
}

}  // namespace

int TWriteJournal::Begin(const struct stat& status, std::string_view path, std::string_view content,
                         int fileDirFd) {
  TFileDescriptor state = OpenStateDirectory(true).Fd;
  const std::string beside = std::string(kBesidePrefix) + JournalKey(status);
  if ((state.Valid() && JournalExists(state.Get(), JournalKey(status))) ||
      JournalExists(fileDirFd, beside)) {
    return EEXIST;  // a write of another process, or one that still waits to be undone
  }
  const std::string header = HeaderText(status, path);
  int error = EACCES;
  if (state.Valid()) {
    error = WriteJournalFile(state.Get(), JournalKey(status), header, content);
    if (error == 0) {
      directory_ = std::move(state);
      name_ = JournalKey(status);
      return 0;
    }
  }
  directory_.Reset(::fcntl(fileDirFd, F_DUPFD_CLOEXEC, 0));
  if (!directory_.Valid()) {
    return errno;
  }
  if (const int besideError = WriteJournalFile(directory_.Get(), beside, header, content);
      besideError != 0) {
    directory_.Close();
    return error == EACCES ? besideError : error;
  }
  name_ = beside;
  return 0;
}

void TWriteJournal::Finish() {
  if (directory_.Valid()) {
    SystemCalls().UnlinkAt(directory_.Get(), name_.c_str(), 0);
    directory_.Close();
  }
}

TJournalRestore RestoreFromJournal(const TFileLocation& location, const struct stat& status) {
  // Most files have no journal: two looks by name tell, before anything is opened.
  struct stat journalStatus;
  const std::string base = StateHome();
  const bool inState =
      !base.empty() &&
      SystemCalls().FstatAt(AT_FDCWD, (JournalDirectoryPath(base) + JournalKey(status)).c_str(),
                            &journalStatus, AT_SYMLINK_NOFOLLOW) == 0;
  if (!inState && SystemCalls().FstatAt(location.Directory.Get(),
                                        (std::string(kBesidePrefix) + JournalKey(status)).c_str(),
                                        &journalStatus, AT_SYMLINK_NOFOLLOW) != 0) {
    return {};
  }
  std::optional<TFoundJournal> journal = FindJournal(status, location);
  if (!journal) {
    return {};
  }
  const TJournalRestore failed{TJournalRestore::TStatus::Failed,
                               journal->DirectoryPath + journal->Name};
  TJournalHeader header;
  const std::optional<std::string_view> content = ParseJournal(journal->Content, header);
  if (!content || header.Device != status.st_dev || header.Inode != status.st_ino) {
    return failed;
  }
  TFileDescriptor file(SystemCalls().OpenAt(location.Directory.Get(), location.Name.c_str(),
                                            O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                                            0));
  struct stat opened;
  if (!file.Valid() || SystemCalls().Fstat(file.Get(), &opened) != 0 ||
      opened.st_dev != header.Device || opened.st_ino != header.Inode ||
      !PutBack(file.Get(), *content, header.Modified)) {
    return failed;
  }
  SystemCalls().UnlinkAt(journal->Directory.Get(), journal->Name.c_str(), 0);
  FlushDirectory(journal->Directory.Get());
  return {TJournalRestore::TStatus::Restored, {}};
}

TJournalRestore RestoreFromJournal(const std::string& path) {
  const std::optional<TFileLocation> location = LocateFile(path);
  struct stat status;
  if (!location ||
      SystemCalls().FstatAt(location->Directory.Get(), location->Name.c_str(), &status,
                            AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(status.st_mode)) {
    return {};
  }
  return RestoreFromJournal(*location, status);
}

}  // namespace quorvane
