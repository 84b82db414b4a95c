#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// A regular file (symbolic links followed).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Which file a name stands for (symbolic links followed): two names with the same identity
// are one file.
struct TFileId {
  dev_t Device;
  ino_t Inode;
  friend bool operator==(const TFileId&, const TFileId&) = default;
};
std::optional<TFileId> FileIdentity(const std::string& path);

// A file's modification time.
struct TFileTime {
  int64_t Seconds;
  int64_t Nanoseconds;
  friend bool operator==(const TFileTime&, const TFileTime&) = default;
};

std::optional<TFileTime> GetFileTime(const std::string& path);

// Sets the modification time exactly; the access time stays as it is.
bool SetFileTime(const std::string& path, const TFileTime& time);

// Read-only means the owner's write bit is clear: the mode bits decide, not the process's
// access rights, so that the answer is the same when the program runs as root.
bool IsReadOnly(const struct stat& status);
bool IsReadOnlyFile(const std::string& path);

// Hidden names begin with ".".
bool IsHiddenName(std::string_view name);

// The archive attribute is set when the file changed (modification time or size) since it was
// last cleared, which stores both in the extended attribute user.quorvane.archived. Where the
// file system has no user extended attributes it always counts as set.
bool ArchiveAttributeSet(const std::string& path);
// The same for the file `name` in the folder `dirFd`, whose status is known; `path` names the
// same file, for kernels that cannot look an attribute up in a folder.
bool ArchiveAttributeSet(int dirFd, const char* name, const std::string& path,
                         const struct stat& status);
// Does nothing, silently, where the file system has no user extended attributes.
void ClearArchiveAttribute(const std::string& path);
// The same for an open file.
void ClearArchiveAttribute(int fd);

// Whether user extended attributes can be stored on `path`.
bool UserXattrsSupported(const std::string& path);

}  // namespace quorvane
