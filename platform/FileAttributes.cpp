#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>

namespace quorvane {
namespace {

constexpr const char* kArchivedAttribute = "user.quorvane.archived";

// What the archive attribute stores: "seconds.nanoseconds:size" of the file when cleared.
std::string ArchiveStamp(const struct stat& status) {
  return std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) +
         ":" + std::to_string(status.st_size);
}

// The archive attribute of the file `name` in the folder `dirFd` into `value`: its size, or -1
// with errno (ENOSYS where the kernel has no getxattrat, or a sandbox refuses it with EPERM,
// which no lookup of a user attribute gives otherwise). Looked up from the folder, the name
// costs one step instead of a whole path.
ssize_t GetAttributeAt(int dirFd, const char* name, std::array<char, 64>& value) {
#if defined(__linux__) && (defined(__x86_64__) || defined(__aarch64__))
  constexpr long kGetXattrAt = 464;  // the same number on every architecture since Linux 6.13
  struct {
    uint64_t Value;
    uint32_t Size;
    uint32_t Flags;
  } args{reinterpret_cast<uintptr_t>(value.data()), static_cast<uint32_t>(value.size()), 0};
  static std::atomic<bool> missing{false};
  if (!missing.load(std::memory_order_relaxed)) {
    const long size =
        ::syscall(kGetXattrAt, dirFd, name, 0, kArchivedAttribute, &args, sizeof args);
    if (size >= 0 || (errno != ENOSYS && errno != EPERM)) {
      return size;
    }
    missing.store(true, std::memory_order_relaxed);
  }
#endif
  errno = ENOSYS;
  return -1;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::optional<TFileId> FileIdentity(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return TFileId{status.st_dev, status.st_ino};
}

bool DirectoryExists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<TFileTime> GetFileTime(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return TFileTime{status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

bool SetFileTime(const std::string& path, const TFileTime& time) {
  const std::array<timespec, 2> times{
      timespec{0, UTIME_OMIT},
      timespec{static_cast<time_t>(time.Seconds), static_cast<long>(time.Nanoseconds)}};
  return ::utimensat(AT_FDCWD, path.c_str(), times.data(), 0) == 0;
}

bool IsReadOnly(const struct stat& status) {
  return (status.st_mode & S_IWUSR) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && IsReadOnly(status);
}

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.';
}

bool ArchiveAttributeSet(int dirFd, const char* name, const std::string& path,
                         const struct stat& status) {
  std::array<char, 64> stored;
  ssize_t size = GetAttributeAt(dirFd, name, stored);
  if (size < 0 && errno == ENOSYS) {
    size = ::getxattr(path.c_str(), kArchivedAttribute, stored.data(), stored.size());
  }
  return size < 0 ||
         std::string_view(stored.data(), static_cast<size_t>(size)) != ArchiveStamp(status);
}

bool ArchiveAttributeSet(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) != 0 ||
         ArchiveAttributeSet(AT_FDCWD, path.c_str(), path, status);
}

void ClearArchiveAttribute(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) == 0) {
    const std::string stamp = ArchiveStamp(status);
    ::setxattr(path.c_str(), kArchivedAttribute, stamp.data(), stamp.size(), 0);
  }
}

void ClearArchiveAttribute(int fd) {
  struct stat status;
  if (::fstat(fd, &status) == 0) {
    const std::string stamp = ArchiveStamp(status);
    ::fsetxattr(fd, kArchivedAttribute, stamp.data(), stamp.size(), 0);
  }
}

bool UserXattrsSupported(const std::string& path) {
  constexpr const char* kProbe = "user.quorvane.probe";
  if (::setxattr(path.c_str(), kProbe, "", 0, 0) != 0) {
    return false;
  }
  ::removexattr(path.c_str(), kProbe);
  return true;
}

}  // namespace quorvane
