#include "platform/DirectoryWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "platform/FileAttributes.h"
#include "platform/FileDescriptor.h"
#include "support/Paths.h"
#include "support/UnicodeText.h"

namespace quorvane {
namespace {

// A directory's entries read straight from the kernel in large blocks: the library's directory
// stream would first look at the directory's status, one more call for every folder of a walk.
class TDirectoryReader {
 public:
  explicit TDirectoryReader(const std::string& dir)
      : directory_(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  int Fd() const { return directory_.Get(); }
  bool Valid() const { return directory_.Valid(); }

  // The next entry; nothing at the end, or when the directory cannot be read on.
  const dirent64* Next() {
    if (offset_ == length_) {
      const ssize_t read = ::getdents64(directory_.Get(), buffer_.data(), buffer_.size());
      if (read <= 0) {
        return nullptr;
      }
      length_ = static_cast<size_t>(read);
      offset_ = 0;
    }
    const auto* entry = reinterpret_cast<const dirent64*>(buffer_.data() + offset_);
    offset_ += entry->d_reclen;
    return entry;
  }

 private:
  TFileDescriptor directory_;
  alignas(dirent64) std::array<char, 32768> buffer_;
  size_t offset_ = 0;
  size_t length_ = 0;
};

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
bool CannotBe(const dirent64& entry, unsigned char wanted) {
  return entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK && entry.d_type != wanted;
}

bool MaskMatches(const std::string& mask, std::string_view name, bool namesOnly) {
  return namesOnly || !HasWildcards(mask) ? mask == name : WildcardMatch(mask, name);
}

// The entry for `name` when it is a regular file; `statName` is the name relative to `dirFd`.
std::optional<TDirEntry> RegularFileEntry(int dirFd, const std::string& statName,
                                          const std::string& dir, std::string_view name,
                                          bool archive) {
  struct stat status;
  if (::fstatat(dirFd, statName.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  std::string entryName(name);
  const bool archiveSet =
      !archive ||
      ArchiveAttributeSet(dirFd, statName.c_str(), IncludeTrailingSlash(dir) + entryName, status);
  return TDirEntry{std::move(entryName), IsReadOnly(status), archiveSet};
}

bool EnterableDirectory(int dirFd, const char* name) {
  struct stat status;
  return ::fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode) &&
         (status.st_mode & S_IWUSR) != 0;
}

// Names alone are looked up directly instead of reading the directory.
TDirListing FindNamedFiles(const std::string& dir, const TListRequest& request) {
  TDirListing listing;
  for (const std::string& name : request.Masks) {
    if (name.empty() || IsHiddenName(name)) {
      continue;
    }
    if (auto entry = RegularFileEntry(AT_FDCWD, IncludeTrailingSlash(dir) + name, dir, name,
                                      request.Archive)) {
      listing.Files.push_back(std::move(*entry));
    }
  }
  return listing;
}

// The files of the directory entry `entry` that match, each with the index of its mask; the
// file is looked at only once, and only when a mask matches.
void AddMatchingFile(int dirFd, const dirent64& entry, const std::string& dir,
                     const TListRequest& request,
                     std::vector<std::pair<size_t, TDirEntry>>& found) {
  const std::string_view name = entry.d_name;
  std::optional<TDirEntry> file;
  bool looked = false;
  for (size_t mask = 0; mask < request.Masks.size(); ++mask) {
    if (!MaskMatches(request.Masks[mask], name, request.NamesOnly)) {
      continue;
    }
    if (!looked) {
      file = RegularFileEntry(dirFd, entry.d_name, dir, name, request.Archive);
      looked = true;
    }
    if (!file) {
      return;
    }
    found.emplace_back(mask, *file);
  }
}

}  // namespace

TDirListing ListDirectory(const std::string& dir, const TListRequest& request) {
  const bool namesAlone =
      request.NamesOnly || std::none_of(request.Masks.begin(), request.Masks.end(),
                                        [](const std::string& mask) { return HasWildcards(mask); });
  if (namesAlone && !request.Directories) {
    return FindNamedFiles(dir, request);
  }
  TDirListing listing;
  TDirectoryReader reader(dir);
  if (!reader.Valid()) {
    return listing;
  }
  const int dirFd = reader.Fd();
  std::vector<std::pair<size_t, TDirEntry>> found;
  while (const dirent64* entry = reader.Next()) {
    if (IsHiddenName(entry->d_name)) {
      continue;
    }
    if (request.Directories && entry->d_type != DT_LNK && !CannotBe(*entry, DT_DIR) &&
        EnterableDirectory(dirFd, entry->d_name)) {
      listing.Directories.emplace_back(entry->d_name);
    } else if (!CannotBe(*entry, DT_REG)) {
      AddMatchingFile(dirFd, *entry, dir, request, found);
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  listing.Files.reserve(found.size());
  for (auto& [mask, file] : found) {
    listing.Files.push_back(std::move(file));
  }
  return listing;
}

std::vector<TDirEntry> FindFiles(const std::string& dir, const std::string& mask) {
  return ListDirectory(dir, {.Masks = {mask}, .Archive = true}).Files;
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
