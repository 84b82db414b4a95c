#include "platform/FileContent.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>

#include "platform/FileIo.h"
#include "platform/TemporaryFile.h"
#include "platform/WriteJournal.h"
#include "support/Paths.h"

namespace quorvane {
namespace {

constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

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

TReadResult ReadOpenedFile(int fd, std::string& content, struct stat& status) {
  if (SystemCalls().Fstat(fd, &status) != 0) {
    return ReadFailure(errno);
  }
  if (!S_ISREG(status.st_mode)) {
    return {TFileError::NotRegular, 0};
  }
  try {
    if (static_cast<uint64_t>(status.st_size) >= content.max_size()) {
      return {TFileError::TooLarge, EFBIG};
    }
    if (!ReadToEnd(fd, static_cast<size_t>(status.st_size), content)) {
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

// The file systems written to, each with a folder on it to open for syncfs.
// Files may be written on another thread than the one that flushes them.
std::mutex& WrittenFileSystemsLock() {
  static std::mutex lock;
  return lock;
}

std::map<dev_t, std::string>& WrittenFileSystems() {
  static std::map<dev_t, std::string> fileSystems;
  return fileSystems;
}

void RememberFileSystem(dev_t device, const TFileLocation& location) {
  const std::lock_guard<std::mutex> guard(WrittenFileSystemsLock());
  WrittenFileSystems().try_emplace(device,
                                   location.DirectoryPath.empty() ? "." : location.DirectoryPath);
}

void RememberFileSystem(const TFileLocation& location) {
  struct stat status;
  if (SystemCalls().Fstat(location.Directory.Get(), &status) == 0) {
    RememberFileSystem(status.st_dev, location);
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
  if (SystemCalls().Fstat(fd, &created) != 0) {
    return false;
  }
  if (created.st_uid == original.st_uid && created.st_gid == original.st_gid) {
    return true;
  }
  return SystemCalls().Fchown(fd, original.st_uid, original.st_gid) == 0;
}

// The date and the archive mark of the new content, once it is written. Neither is a reason to
// call the write failed: a file the process does not own may refuse a date.
void SetTimeAndMark(int fd, const TWriteOptions& options) {
  if (options.Time) {
    const std::array<timespec, 2> times{timespec{0, UTIME_OMIT},
                                        timespec{static_cast<time_t>(options.Time->Seconds),
                                                 static_cast<long>(options.Time->Nanoseconds)}};
    SystemCalls().Futimens(fd, times.data());
  }
  if (options.MarkArchived) {
    ClearArchiveAttribute(fd);
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Whether the name still names the file `expected` describes, unchanged and without a link.
bool StillNames(const TFileLocation& location, const struct stat& expected) {
  struct stat now;
  return SystemCalls().FstatAt(location.Directory.Get(), location.Name.c_str(), &now,
                               AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(now.st_mode) && SameFile(now, expected);
}

// Writes `data` into the temporary file and renames it over the name, provided the name still
// names the file `expected` describes, when there is one.
TFileError FillAndCommit(TTemporaryFile& temporary, const TFileLocation& location,
                         std::string_view data, const TWriteOptions& options,
                         const struct stat* expected) {
  if (!WriteAllAt(temporary.Fd(), data, 0)) {
    return ErrorFromErrno(errno);
  }
  SetTimeAndMark(temporary.Fd(), options);
  if (options.Flush && SystemCalls().Fsync(temporary.Fd()) != 0) {
    return ErrorFromErrno(errno);
  }
  // A file for a name that nothing has yet takes it at once: no temporary name, no rename.
  if (expected == nullptr) {
    if (const int linked = temporary.LinkIfFree(location.Name); linked == 0) {
      return options.Flush && FlushDirectory(location.Directory.Get()) != 0 ? ErrorFromErrno(errno)
                                                                            : TFileError::None;
    } else if (linked != EEXIST) {
      return ErrorFromErrno(linked);
    }
  }
  if (const int closed = temporary.CloseNamed(); closed != 0) {
    return ErrorFromErrno(closed);
  }
  if (expected != nullptr && !StillNames(location, *expected)) {
    return TFileError::Changed;
  }
  if (const int renamed = temporary.RenameOver(location.Name); renamed != 0) {
    return ErrorFromErrno(renamed);
  }
  if (options.Flush && FlushDirectory(location.Directory.Get()) != 0) {
    return ErrorFromErrno(errno);
  }
  return TFileError::None;
}

// Rewrites an open file's content where it lies. Its old content goes into a journal first and
// comes back when the new one cannot be written whole; the journal goes once the file is on
// disk again, old or new.
TFileError WriteInPlace(const TFileLocation& location, int fd, bool readable,
                        const struct stat& original, std::string_view data,
                        const TWriteOptions& options) {
  if (!readable) {
    return TFileError::NoJournal;
  }
  std::string previous;
  if (!ReadToEnd(fd, static_cast<size_t>(original.st_size), previous)) {
    return ErrorFromErrno(errno);
  }
  TWriteJournal journal;
  if (journal.Begin(original, location.Path(), previous, location.Directory.Get()) != 0) {
    return TFileError::NoJournal;
  }
  // Reserving the space first turns a full disk into an error before anything is overwritten.
  if (data.size() > previous.size() &&
      SystemCalls().Fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(data.size())) != 0 &&
      (errno == ENOSPC || errno == EDQUOT)) {
    const int error = errno;
    journal.Finish();
    return ErrorFromErrno(error);
  }
  if (OverwriteContent(fd, data)) {
    SetTimeAndMark(fd, options);
    if (SystemCalls().Fsync(fd) == 0) {
      journal.Finish();
      return TFileError::None;
    }
  }
  const int error = errno;
  const std::array<timespec, 2> times{timespec{0, UTIME_OMIT}, original.st_mtim};
  if (OverwriteContent(fd, previous) && SystemCalls().Futimens(fd, times.data()) == 0 &&
      SystemCalls().Fsync(fd) == 0) {
    journal.Finish();
  }  // otherwise the journal stays, and the next run puts the old content back
  return ErrorFromErrno(error);
}

// Only the process may see the new file until it has the original's owner and permissions.
constexpr mode_t kBesideMode = S_IRUSR | S_IWUSR;

// Writes `data` into a new file beside the original that takes on the original's attributes,
// then renames it over the original, if the name still names it. Nothing when this is
// impossible here and the caller should write in place instead.
std::optional<TFileError> WriteBeside(const TFileLocation& location, int originalFd,
                                      const struct stat& original, std::string_view data,
                                      const TWriteOptions& options) {
  TTemporaryFile own;
  const bool made = options.Replacement != nullptr && options.Replacement->IsOpen();
  TTemporaryFile& temporary = made ? *options.Replacement : own;
  const int error = made ? 0 : own.Create(location.Directory.Get(), location.Name, kBesideMode);
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
  if (SystemCalls().Fchmod(temporary.Fd(), original.st_mode & 07777) != 0) {
    return std::nullopt;
  }
  return FillAndCommit(temporary, location, data, options, &original);
}

// Opens the file for writing, and for reading too when it may be read; only the very file that
// `expected` describes, never a link or another file put at its name.
TFileDescriptor OpenForUpdate(const TFileLocation& location, const struct stat& expected,
                              bool& readable, TFileError& error) {
  const auto open = [&location](int access) {
    return SystemCalls().OpenAt(location.Directory.Get(), location.Name.c_str(),
                                access | O_NOFOLLOW | kOpenFlags, 0);
  };
  TFileDescriptor file(open(O_RDWR));
  readable = file.Valid();
  if (!file.Valid() && errno == EACCES) {
    file.Reset(open(O_WRONLY));
  }
  struct stat status;
  if (!file.Valid()) {
    error = errno == ENOENT || errno == ELOOP ? TFileError::Changed : ErrorFromErrno(errno);
  } else if (SystemCalls().Fstat(file.Get(), &status) != 0) {
    error = ErrorFromErrno(errno);
    file.Close();
  } else if (!SameFile(status, expected)) {
    error = TFileError::Changed;
    file.Close();
  }
  return file;
}

TFileError Replace(const TFileLocation& location, const struct stat& expected,
                   std::string_view data, const TWriteOptions& options) {
  // Never opened unless it is still a regular file: opening a device can already act.
  if (!StillNames(location, expected)) {
    return TFileError::Changed;
  }
  bool readable = false;
  TFileError error = TFileError::None;
  const TFileDescriptor file = OpenForUpdate(location, expected, readable, error);
  if (!file.Valid()) {
    return error;
  }
  if (expected.st_nlink <= 1) {
    if (auto result = WriteBeside(location, file.Get(), expected, data, options)) {
      return *result;
    }
  }
  return WriteInPlace(location, file.Get(), readable, expected, data, options);
}

TFileError WriteNewFile(const TFileLocation& location, std::string_view data, mode_t mode,
                        const TWriteOptions& options) {
  TTemporaryFile temporary;
  if (const int error = temporary.Create(location.Directory.Get(), location.Name, mode);
      error != 0) {
    return ErrorFromErrno(error);
  }
  return FillAndCommit(temporary, location, data, options, nullptr);
}

// The name `path` in its folder, which is created with its parents when missing.
std::optional<TFileLocation> MakeLocation(const std::string& path) {
  if (std::optional<TFileLocation> location = LocateName(path); location || errno != ENOENT) {
    return location;
  }
  const std::string folder(ExtractFilePath(path));
  std::error_code error;
  const bool made = std::filesystem::create_directories(folder, error);
  if (error) {
    errno = error.value();
    return std::nullopt;
  }
  std::optional<TFileLocation> location = LocateName(path);
  if (location && made) {
    NoteFolderMade(location->Directory.Get());
  }
  return location;
}

}  // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  TFileDescriptor file(SystemCalls().OpenAt(AT_FDCWD, path.c_str(), O_RDONLY | kOpenFlags, 0));
  if (!file.Valid()) {
    return ReadFailure(errno);
  }
  struct stat status;
  return ReadOpenedFile(file.Get(), content, status);
}

TReadResult ReadWholeFile(const std::string& path, std::string& content, TReadFile& file) {
  content.clear();
  file = TReadFile();
  // Most names are no link: their folder is opened at once, and a link shows when the file is
  // opened without following it.
  int error = 0;
  for (const auto locate : {LocateName, LocateFile}) {
    std::optional<TFileLocation> location = locate(path);
    if (!location) {
      return ReadFailure(errno);
    }
    file.Location = std::move(*location);
    file.File.Reset(SystemCalls().OpenAt(file.Location.Directory.Get(), file.Location.Name.c_str(),
                                         O_RDONLY | O_NOFOLLOW | kOpenFlags, 0));
    if (file.File.Valid()) {
      return ReadOpenedFile(file.File.Get(), content, file.Status);
    }
    if (error = errno; error != ELOOP) {
      break;
    }
  }
  return ReadFailure(error);
}

TFileError WriteFileReplacing(const std::string& path, std::string_view data,
                              const TWriteOptions& options) {
  const std::optional<TFileLocation> location = LocateFile(path);
  if (!location) {
    return ErrorFromErrno(errno);
  }
  struct stat status;
  TFileError result;
  if (SystemCalls().FstatAt(location->Directory.Get(), location->Name.c_str(), &status,
                            AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) {
      return ErrorFromErrno(errno);
    }
    constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
    result = WriteNewFile(*location, data, kNewFileMode, options);
  } else if (!S_ISREG(status.st_mode)) {
    return TFileError::NotRegular;
  } else {
    result = Replace(*location, status, data, options);
  }
  if (result == TFileError::None) {
    RememberFileSystem(*location);
  }
  return result;
}

TFileError WriteFileAnew(const std::string& path, std::string_view data, mode_t mode,
                         const TWriteOptions& options) {
  const std::optional<TFileLocation> location = MakeLocation(path);
  if (!location) {
    return ErrorFromErrno(errno);
  }
  const TFileError result = WriteNewFile(*location, data, mode, options);
  if (result == TFileError::None) {
    RememberFileSystem(*location);
  }
  return result;
}

TFileError WriteReadFile(const TReadFile& file, std::string_view data,
                         const TWriteOptions& options) {
  if (!file.Location.Directory.Valid()) {
    return TFileError::Other;
  }
  const TFileError result = Replace(file.Location, file.Status, data, options);
  if (result == TFileError::None) {
    RememberFileSystem(file.Status.st_dev, file.Location);  // a file lies on its folder's
  }
  return result;
}

std::unique_ptr<TTemporaryFile> MakeReplacement(const TReadFile& file) {
  if (!file.Location.Directory.Valid() || !S_ISREG(file.Status.st_mode) ||
      file.Status.st_nlink > 1) {
    return nullptr;
  }
  auto temporary = std::make_unique<TTemporaryFile>();
  if (temporary->CreateUnnamed(file.Location.Directory.Get(), file.Location.Name, kBesideMode) !=
      0) {
    return nullptr;
  }
  return temporary;
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
