#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

#include "platform/FileDescriptor.h"
#include "platform/TemporaryFile.h"
#include "support/Paths.h"

namespace quorvane {
namespace {

TFileError ErrorOf(int error) {
  switch (error) {
    case 0:
      return TFileError::None;
    case ENOENT:
    case ENOTDIR:
      return TFileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return TFileError::AccessDenied;
    case EISDIR:
      return TFileError::NotRegular;
    case EFBIG:
    case ENOSPC:
      return TFileError::TooLarge;
    default:
      return TFileError::Other;
  }
}

int WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t count = ::write(fd, data.data(), data.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return count == 0 ? EIO : errno;
    }
    data.remove_prefix(static_cast<size_t>(count));
  }
  return 0;
}

mode_t ModeOf(const std::string& modelFile) {
  struct stat status;
  if (::stat(modelFile.c_str(), &status) != 0) {
    return 0666;
  }
  return status.st_mode & 0777;
}

// The folders written to, one per file system, for the flush at the end. Files may be written
// on another thread than the one that flushes them.
std::mutex& FoldersLock() {
  static std::mutex lock;
  return lock;
}

std::map<dev_t, std::string>& FoldersWritten() {
  static std::map<dev_t, std::string> folders;
  return folders;
}

void RememberFolder(const std::string& folder) {
  struct stat status;
  if (::stat(folder.c_str(), &status) == 0) {
    const std::lock_guard<std::mutex> guard(FoldersLock());
    FoldersWritten().try_emplace(status.st_dev, folder);
  }
}

}  // namespace

TFileError WriteOutputFile(const std::string& path, std::string_view data,
                           const std::string& modelFile) {
  const std::string folder(ExtractFilePath(path));
  if (!folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      return ErrorOf(error.value());
    }
  }
  TTemporaryFile temporary;
  if (const int error = temporary.Create(path, ModeOf(modelFile)); error != 0) {
    return ErrorOf(error);
  }
  if (const int error = WriteAll(temporary.Fd(), data); error != 0) {
    return ErrorOf(error);
  }
  if (const int error = temporary.Commit(path, false); error != 0) {
    return ErrorOf(error);
  }
  RememberFolder(folder.empty() ? "." : folder);
  return TFileError::None;
}

void SyncOutputFileSystems() {
  const std::lock_guard<std::mutex> guard(FoldersLock());
  for (const auto& [device, folder] : FoldersWritten()) {
    const TFileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid()) {
      ::syncfs(directory.Get());
    }
  }
  FoldersWritten().clear();
}

}  // namespace quorvane
