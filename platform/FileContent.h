#pragma once

#include <string>
#include <string_view>

namespace quorvane {

enum class TFileError { None, NotFound, AccessDenied, NotRegular, TooLarge, Other };

struct TReadResult {
  TFileError Error;
  int Errno;  // the system's error number behind Error; 0 when there is none
};

// Reads a regular file whole, byte for byte, whatever its size. Anything else (FIFO, socket,
// device, directory) is never read: NotRegular, at once, with `content` empty.
TReadResult ReadWholeFile(const std::string& path, std::string& content);

struct TWriteOptions {
  bool Flush = false;  // make the new content durable before it replaces the old one
};

// Replaces the content of `path` (creating the file when it does not exist) so that the file is
// always either old or new: a temporary file beside it, renamed over it. The file keeps its
// permission bits, owner and group (where the process may set them) and extended attributes; a
// symbolic link stays a link and its final target is rewritten. A file with several hard links,
// one in a directory that is not writable, or one whose owner cannot be kept is written in place
// instead. On any failure the file keeps its old content and no temporary file remains. Only a
// process killed outright (SIGKILL) can leave its hidden temporary file behind; later writes do
// not remove it, and the file walk never lists it.
TFileError WriteFileReplacing(const std::string& path, std::string_view data,
                              const TWriteOptions& options = {});

// Flushes, once each, the file systems that WriteFileReplacing wrote to since the last call.
void SyncWrittenFileSystems();

}  // namespace quorvane
