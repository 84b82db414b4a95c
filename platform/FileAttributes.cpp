#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <array>

namespace quorvane {
namespace {

constexpr const char* kArchivedAttribute = "user.quorvane.archived";

// What the archive attribute stores: "seconds.nanoseconds:size" of the file when cleared.
std::string ArchiveStamp(const struct stat& status) {
  return std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) +
         ":" + std::to_string(status.st_size);
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

bool ArchiveAttributeSet(const std::string& path, const struct stat& status) {
  const std::string expected = ArchiveStamp(status);
  std::array<char, 64> stored;
  const ssize_t size = ::getxattr(path.c_str(), kArchivedAttribute, stored.data(), stored.size());
  return size < 0 || std::string_view(stored.data(), static_cast<size_t>(size)) != expected;
}

bool ArchiveAttributeSet(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) != 0 || ArchiveAttributeSet(path, status);
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
