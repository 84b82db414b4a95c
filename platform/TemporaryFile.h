#pragma once

#include <sys/types.h>

#include <string>

#include "platform/FileDescriptor.h"

namespace quorvane {

// A new file beside the one it is to replace, named "." + that file's name + a random suffix so
// that the file walk (which skips hidden names) never picks it up. While it exists its path is
// registered for RemovePendingTemporaryFile. It is removed again unless it was moved over its
// target with Commit.
class TTemporaryFile {
 public:
  TTemporaryFile() = default;
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // Creates the file in the directory of `target` with `mode` (the umask applies); returns 0 or
  // the errno of the failure.
  int Create(const std::string& target, mode_t mode);

  int Fd() const { return file_.Get(); }
  const std::string& Path() const { return path_; }

  // Closes the file and renames it over `target`; with `flushDirectory` the rename itself is
  // made durable too. Returns 0 or the errno of the failure (the file is then removed).
  int Commit(const std::string& target, bool flushDirectory);

 private:
  void Discard();

  std::string path_;
  TFileDescriptor file_;
};

// Removes the temporary file being written, if there is one. Async-signal-safe (it only calls
// unlink), for a handler that ends the process in the middle of a write.
void RemovePendingTemporaryFile();

}  // namespace quorvane
