#include "platform/DirectoryWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <optional>

#include "platform/FileAttributes.h"
#include "support/Paths.h"
#include "support/UnicodeText.h"

namespace quorvane {
namespace {

struct TDirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

TDirHandle OpenDirectory(const std::string& dir) {
  return TDirHandle(::opendir(dir.empty() ? "." : dir.c_str()));
}

// The bytes of the character at `pos` of a name: one UTF-8 sequence, or one byte of a name
// that is no valid UTF-8 there.
size_t CharLength(std::string_view name, size_t pos) {
  char32_t cp;
  const size_t length = DecodeUtf8(name, pos, cp);
  return length == 0 ? 1 : length;
}

bool HasWildcards(std::string_view mask) {
  return mask.find_first_of("*?") != std::string_view::npos;
}

// Whether an entry's type, when the file system reports it, rules it out without a stat.
bool CannotBe(const dirent& entry, unsigned char wanted) {
  return entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK && entry.d_type != wanted;
}

// The entry for `name` when it is a regular file; `statName` is the name relative to `dirFd`.
std::optional<TDirEntry> RegularFileEntry(int dirFd, const std::string& statName,
                                          const std::string& dir, const std::string& name) {
  struct stat status;
  if (::fstatat(dirFd, statName.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  return TDirEntry{name, IsReadOnly(status),
                   ArchiveAttributeSet(IncludeTrailingSlash(dir) + name, status)};
}

// A mask without wildcards names one file: looked up directly instead of reading the directory.
std::vector<TDirEntry> FindNamedFile(const std::string& dir, const std::string& name) {
  if (name.empty() || IsHiddenName(name)) {
    return {};
  }
  if (auto entry = RegularFileEntry(AT_FDCWD, IncludeTrailingSlash(dir) + name, dir, name)) {
    return {std::move(*entry)};
  }
  return {};
}

}  // namespace

std::vector<TDirEntry> FindFiles(const std::string& dir, const std::string& mask) {
  if (!HasWildcards(mask)) {
    return FindNamedFile(dir, mask);
  }
  std::vector<TDirEntry> entries;
  const TDirHandle handle = OpenDirectory(dir);
  if (!handle) {
    return entries;
  }
  while (const dirent* entry = ::readdir(handle.get())) {
    const std::string name = entry->d_name;
    if (IsHiddenName(name) || CannotBe(*entry, DT_REG) || !WildcardMatch(mask, name)) {
      continue;
    }
    if (auto found = RegularFileEntry(::dirfd(handle.get()), name, dir, name)) {
      entries.push_back(std::move(*found));
    }
  }
  return entries;
}

std::vector<std::string> FindEnterableDirectories(const std::string& dir) {
  std::vector<std::string> names;
  const TDirHandle handle = OpenDirectory(dir);
  if (!handle) {
    return names;
  }
  while (const dirent* entry = ::readdir(handle.get())) {
    const std::string name = entry->d_name;
    if (IsHiddenName(name) || entry->d_type == DT_LNK || CannotBe(*entry, DT_DIR)) {
      continue;
    }
    struct stat status;
    if (::fstatat(::dirfd(handle.get()), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode) && (status.st_mode & S_IWUSR) != 0) {
      names.push_back(name);
    }
  }
  return names;
}

bool WildcardMatch(std::string_view mask, std::string_view name) {
  // Greedy with a return to the last "*": linear in practice, never exponential.
  constexpr size_t kNone = std::string_view::npos;
  size_t m = 0;
  size_t n = 0;
  size_t starMask = kNone;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += CharLength(name, n);
    } else if (m < mask.size() && mask[m] == name[n]) {
      ++m;
      ++n;
    } else if (starMask != kNone) {
      m = starMask;
      starName += CharLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') {
    ++m;
  }
  return m == mask.size();
}

}  // namespace quorvane
