#include "platform/FileLocation.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "support/Paths.h"

namespace quorvane {
namespace {

constexpr int kMaxLinks = 40;

// The target of the link `path`, resolved against the link's folder.
std::optional<std::string> LinkTarget(const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  if (length < 0) {
    return std::nullopt;
  }
  if (static_cast<size_t>(length) == target.size()) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  target.resize(static_cast<size_t>(length));
  return ResolveAgainst(ExtractFilePath(path), target);
}

}  // namespace

std::optional<TFileLocation> LocateFile(const std::string& path) {
  std::string current = path;
  for (int hops = 0;; ++hops) {
    struct stat status;
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      break;
    }
    if (hops == kMaxLinks) {
      errno = ELOOP;
      return std::nullopt;
    }
    std::optional<std::string> target = LinkTarget(current);
    if (!target) {
      return std::nullopt;
    }
    current = std::move(*target);
  }
  return LocateName(current);
}

std::optional<TFileLocation> LocateName(const std::string& path) {
  TFileLocation location;
  location.DirectoryPath = ExtractFilePath(path);
  location.Name = ExtractFileName(path);
  if (location.Name.empty()) {
    errno = EISDIR;
    return std::nullopt;
  }
  const char* directory = location.DirectoryPath.empty() ? "." : location.DirectoryPath.c_str();
  location.Directory.Reset(
      SystemCalls().OpenAt(AT_FDCWD, directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!location.Directory.Valid()) {
    return std::nullopt;
  }
  return location;
}

}  // namespace quorvane
