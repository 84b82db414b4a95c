#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileAttributes.h"
#include "platform/FileLocation.h"

namespace quorvane {

class TTemporaryFile;

enum class TFileError {
  None,
  NotFound,
  AccessDenied,
  NotRegular,
  TooLarge,
  Changed,    // the name no longer names the file that was read: another program changed it
  NoJournal,  // the file must be written in place, and no copy of its old content can be kept
  Other,
};

struct TReadResult {
  TFileError Error;
  int Errno;  // the system's error number behind Error; 0 when there is none
};

// Reads a regular file whole, byte for byte, whatever its size. Anything else (FIFO, socket,
// device, directory) is never read: NotRegular, at once, with `content` empty.
TReadResult ReadWholeFile(const std::string& path, std::string& content);

// A file as it was read: open, with its folder, and what it was then (device, inode, size and
// modification time), so that a write can tell whether its name still names it.
struct TReadFile {
  TFileLocation Location;
  TFileDescriptor File;
  struct stat Status {};
};

// The same read, keeping the file in `file` for WriteReadFile. Symbolic links that `path` names
// are followed now; later ones are not.
TReadResult ReadWholeFile(const std::string& path, std::string& content, TReadFile& file);

struct TWriteOptions {
  bool Flush = false;  // make the new content durable before it replaces the old
  std::optional<TFileTime> Time = std::nullopt;  // the modification time the new content gets
  bool MarkArchived = false;                     // clear the archive attribute of the new content
  // The new file for WriteReadFile, made ahead by MakeReplacement; used when the file is
  // replaced, else discarded.
  TTemporaryFile* Replacement = nullptr;
};

// Replaces the content of `path` (creating the file when it does not exist) so that the file is
// always either old or new: a temporary file beside it, renamed over it. The file keeps its
// permission bits, owner and group (where the process may set them) and extended attributes; a
// symbolic link stays a link and its final target is rewritten. A file with several hard links,
// one in a folder that allows no new file, or one whose owner cannot be kept is written in place
// instead, with its old content kept in a journal (WriteJournal.h) until the new one is on
// disk; without a journal it is not written (NoJournal). On any failure the file keeps its old
// content and no temporary file remains.
TFileError WriteFileReplacing(const std::string& path, std::string_view data,
                              const TWriteOptions& options = {});

// Replaces the content of the file that `file` was read from, in the same way, but only while
// its name still names that file unchanged; otherwise nothing is written (Changed). Never
// creates a file.
TFileError WriteReadFile(const TReadFile& file, std::string_view data,
                         const TWriteOptions& options = {});

// Makes the new file that WriteReadFile would write for `file`, so that another thread can do
// this part of the work; nothing where that file would not be made the usual way.
std::unique_ptr<TTemporaryFile> MakeReplacement(const TReadFile& file);

// Puts a new file with `data` at `path`, always either what the name held before or the new
// content: a temporary file in the folder of `path` (created with its parents when missing),
// renamed over the name. Whatever the name held is replaced, never written through: a symbolic
// link there is replaced by the file, not followed. The file gets the permission bits `mode`
// (the umask applies). On failure nothing at `path` has changed and no temporary file remains;
// folders already created stay.
TFileError WriteFileAnew(const std::string& path, std::string_view data, mode_t mode,
                         const TWriteOptions& options = {});

// Flushes, once each, the file systems written to since the last call.
void SyncWrittenFileSystems();

}  // namespace quorvane
