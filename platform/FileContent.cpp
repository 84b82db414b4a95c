#include "platform/FileContent.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

#include "platform/FileDescriptor.h"
#include "platform/TemporaryFile.h"
#include "support/Paths.h"

namespace quorvane {
namespace {

TFileError ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return TFileError::None;
    case ENOENT:
    case ENOTDIR:
      return TFileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return TFileError::AccessDenied;
    case EISDIR:
    case ENXIO:
      return TFileError::NotRegular;
    case EFBIG:
    case ENOMEM:
      return TFileError::TooLarge;
    default:
      return TFileError::Other;
  }
}

TReadResult ReadFailure(int error) {
  return {ErrorFromErrno(error), error};
}

// Reads from the current offset to the end; `expected` is the size to make room for at once.
bool ReadToEnd(int fd, size_t expected, std::string& content) {
  content.resize(expected + 1);  // one byte more, so that the read that sees the end fits
  size_t length = 0;
  for (;;) {
    if (length == content.size()) {
      content.resize(content.size() * 2);
    }
    const ssize_t count = ::read(fd, content.data() + length, content.size() - length);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return false;
    }
    if (count == 0) {
      content.resize(length);
      return true;
    }
    length += static_cast<size_t>(count);
  }
}

bool WriteAll(int fd, std::string_view data, off_t offset) {
  while (!data.empty()) {
    const ssize_t count = ::pwrite(fd, data.data(), data.size(), offset);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      if (count == 0) {
        errno = EIO;
      }
      return false;
    }
    data.remove_prefix(static_cast<size_t>(count));
    offset += count;
  }
  return true;
}

// The file systems written to, each with a directory on it to open for syncfs.
// Files may be written on another thread than the one that flushes them.
std::mutex& WrittenFileSystemsLock() {
  static std::mutex lock;
  return lock;
}

std::map<dev_t, std::string>& WrittenFileSystems() {
  static std::map<dev_t, std::string> fileSystems;
  return fileSystems;
}

void RememberFileSystem(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    const std::string directory(ExtractFilePath(path));
    const std::lock_guard<std::mutex> guard(WrittenFileSystemsLock());
    WrittenFileSystems().try_emplace(st.st_dev, directory.empty() ? "." : directory);
  }
}

// Copies the extended attributes (ACLs among them) that the process may set; others are left.
void CopyExtendedAttributes(int from, int to) {
  const ssize_t listSize = ::flistxattr(from, nullptr, 0);
  if (listSize <= 0) {
    return;
  }
  std::string names(static_cast<size_t>(listSize), '\0');
  const ssize_t used = ::flistxattr(from, names.data(), names.size());
  if (used <= 0) {
    return;
  }
  names.resize(static_cast<size_t>(used));
  std::string value;
  for (size_t start = 0; start < names.size(); start = names.find('\0', start) + 1) {
    const char* name = names.c_str() + start;
    const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
    if (size < 0) {
      continue;
    }
    value.resize(static_cast<size_t>(size));
    const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
    if (got >= 0) {
      ::fsetxattr(to, name, value.data(), static_cast<size_t>(got), 0);
    }
  }
}

// Gives the new file the original's owner and group, when they differ and the process may.
bool KeepOwnership(int fd, const struct stat& original) {
  struct stat created;
  if (::fstat(fd, &created) != 0) {
    return false;
  }
  if (created.st_uid == original.st_uid && created.st_gid == original.st_gid) {
    return true;
  }
  return ::fchown(fd, original.st_uid, original.st_gid) == 0;
}

// Rewrites an open file's content where it lies. The old content is kept in memory (when the file
// can be read) and written back if the new one cannot be written completely.
TFileError WriteInPlace(int fd, bool readable, std::string_view data,
                        const TWriteOptions& options) {
  std::string previous;
  if (readable) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || ::lseek(fd, 0, SEEK_SET) != 0 ||
        !ReadToEnd(fd, static_cast<size_t>(st.st_size), previous)) {
      return ErrorFromErrno(errno);
    }
  }
  // Reserving the space first turns a full disk into an error before anything is overwritten.
  if (data.size() > previous.size() &&
      ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(data.size())) != 0 &&
      (errno == ENOSPC || errno == EDQUOT)) {
    return TFileError::Other;
  }
  if (WriteAll(fd, data, 0) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
      (!options.Flush || ::fsync(fd) == 0)) {
    return TFileError::None;
  }
  const int error = errno;
  if (readable && WriteAll(fd, previous, 0)) {
    ::ftruncate(fd, static_cast<off_t>(previous.size()));
  }
  return ErrorFromErrno(error);
}

// Writes `data` into a new file beside `target` that takes on the original's attributes, then
// renames it over `target`. Nothing when this is impossible here and the caller should write in
// place instead.
std::optional<TFileError> WriteBeside(const std::string& target, int originalFd,
                                      const struct stat& original, std::string_view data,
                                      const TWriteOptions& options) {
  TTemporaryFile temporary;
  const int error = temporary.Create(target, S_IRUSR | S_IWUSR);
  if (error == EACCES || error == EPERM) {
    return std::nullopt;
  }
  if (error != 0) {
    return ErrorFromErrno(error);
  }
  if (!KeepOwnership(temporary.Fd(), original)) {
    return std::nullopt;
  }
  CopyExtendedAttributes(originalFd, temporary.Fd());
  // After the ownership: changing the owner clears set-user-ID and set-group-ID bits.
  if (::fchmod(temporary.Fd(), original.st_mode & 07777) != 0) {
    return std::nullopt;
  }
  if (!WriteAll(temporary.Fd(), data, 0) || (options.Flush && ::fsync(temporary.Fd()) != 0)) {
    return ErrorFromErrno(errno);
  }
  return ErrorFromErrno(temporary.Commit(target, options.Flush));
}

TFileError WriteNewFile(const std::string& path, std::string_view data,
                        const TWriteOptions& options) {
  TTemporaryFile temporary;
  constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
  if (const int error = temporary.Create(path, kNewFileMode); error != 0) {
    return ErrorFromErrno(error);
  }
  if (!WriteAll(temporary.Fd(), data, 0) || (options.Flush && ::fsync(temporary.Fd()) != 0)) {
    return ErrorFromErrno(errno);
  }
  return ErrorFromErrno(temporary.Commit(path, options.Flush));
}

// Opens a file for writing, and for reading too when it may be read.
int OpenForUpdate(const std::string& path, int extraFlags, bool& readable) {
  constexpr int kFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(path.c_str(), O_RDWR | kFlags | extraFlags, 0666);
  readable = fd >= 0;
  if (fd < 0 && errno == EACCES) {
    fd = ::open(path.c_str(), O_WRONLY | kFlags | extraFlags, 0666);
  }
  return fd;
}

TFileError ReplaceExisting(const std::string& target, std::string_view data,
                           const TWriteOptions& options) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) {
    return ErrorFromErrno(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return TFileError::NotRegular;  // never opened: opening a device can already act
  }
  bool readable = false;
  TFileDescriptor file(OpenForUpdate(target, 0, readable));
  if (!file.Valid()) {
    return ErrorFromErrno(errno);
  }
  if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return TFileError::NotRegular;
  }
  if (st.st_nlink <= 1) {
    if (auto result = WriteBeside(target, file.Get(), st, data, options)) {
      return *result;
    }
  }
  return WriteInPlace(file.Get(), readable, data, options);
}

// A symbolic link whose target does not exist: the target is created through the link.
TFileError WriteThroughDanglingLink(const std::string& path, std::string_view data,
                                    const TWriteOptions& options) {
  bool readable = false;
  TFileDescriptor file(OpenForUpdate(path, O_CREAT, readable));
  if (!file.Valid()) {
    return ErrorFromErrno(errno);
  }
  return WriteInPlace(file.Get(), readable, data, options);
}

}  // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.Valid()) {
    return ReadFailure(errno);
  }
  struct stat st;
  if (::fstat(file.Get(), &st) != 0) {
    return ReadFailure(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return {TFileError::NotRegular, 0};
  }
  try {
    if (static_cast<uint64_t>(st.st_size) >= content.max_size()) {
      return {TFileError::TooLarge, EFBIG};
    }
    if (!ReadToEnd(file.Get(), static_cast<size_t>(st.st_size), content)) {
      const int error = errno;
      content.clear();
      return ReadFailure(error);
    }
  } catch (const std::bad_alloc&) {
    std::string().swap(content);
    return {TFileError::TooLarge, ENOMEM};
  } catch (const std::length_error&) {
    std::string().swap(content);
    return {TFileError::TooLarge, EFBIG};
  }
  return {TFileError::None, 0};
}

TFileError WriteFileReplacing(const std::string& path, std::string_view data,
                              const TWriteOptions& options) {
  struct stat st;
  TFileError result;
  std::string target = path;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      return ErrorFromErrno(errno);
    }
    result = WriteNewFile(path, data, options);
  } else if (S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
    if (resolved == nullptr && errno != ENOENT) {
      return ErrorFromErrno(errno);
    }
    if (resolved == nullptr) {
      result = WriteThroughDanglingLink(path, data, options);
    } else {
      target = resolved.get();
      result = ReplaceExisting(target, data, options);
    }
  } else {
    result = ReplaceExisting(path, data, options);
  }
  if (result == TFileError::None) {
    RememberFileSystem(target);
  }
  return result;
}

void SyncWrittenFileSystems() {
  const std::lock_guard<std::mutex> guard(WrittenFileSystemsLock());
  for (const auto& [device, directory] : WrittenFileSystems()) {
    TFileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) {
      ::syncfs(dir.Get());
    }
  }
  WrittenFileSystems().clear();
}

}  // namespace quorvane
