#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace quorvane {

// A new file in the folder of the file it is to replace (or to become). Where the file system
// allows it the file has no name until it is complete, so that nothing is left behind whatever
// happens to the process. Otherwise, and for the moment between naming and renaming, its name is
// "." + the target's name + ".quorvane-" + the creating process's id and start time + a random
// part: hidden from the file walk, and recognisable by a later run, which removes the ones
// whose process is gone (see RemoveStaleTemporaryFiles). A file not committed is removed.
class TTemporaryFile {
 public:
  TTemporaryFile() = default;
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // Creates the file for `targetName` in the folder open as `dirFd` with `mode` (the umask
  // applies). Returns 0 or the errno of the failure.
  int Create(int dirFd, std::string_view targetName, mode_t mode);
  // The same in the folder of the path `target`.
  int Create(const std::string& target, mode_t mode);
  // Creates only a file without a name: an error, with nothing made, where the file system has
  // none or without /proc. Such a file needs no clean-up after a signal, so one thread may make
  // it while another writes a named one.
  int CreateUnnamed(int dirFd, std::string_view targetName, mode_t mode);

  int Fd() const { return file_.Get(); }
  // Whether the file was made and is not yet committed or discarded.
  bool IsOpen() const { return file_.Valid(); }

  // Gives the file its temporary name, when it has none yet, and closes it. 0 or the errno.
  int CloseNamed();
  // Renames the closed file over `targetName` in its folder. 0 or the errno (the file is then
  // removed).
  int RenameOver(std::string_view targetName);
  // Gives the file the name `name`, which must be free (EEXIST otherwise), drops its temporary
  // name and closes it. 0 or the errno (the file is then removed).
  int LinkAs(std::string_view name);
  // Gives a file without a name the name `name` when no entry has it, and closes it: 0 then.
  // EEXIST, with nothing changed, when the name is taken or the file has a name already; any
  // other errno when it failed (the file is then removed, and the name too when only the close
  // failed).
  int LinkIfFree(std::string_view name);
  // CloseNamed and RenameOver the name of `target`; with `flushDirectory` the rename itself is
  // made durable too. 0 or the errno of the failure.
  int Commit(const std::string& target, bool flushDirectory);

 private:
  int GiveName();
  void Discard();

  TFileDescriptor directory_;
  TFileDescriptor file_;
  std::string targetName_;
  std::string name_;  // empty while the file has no name
  bool unnamed_ = false;
};

// Removes the temporary file being written, if there is one. Async-signal-safe (it only calls
// unlinkat), for a handler that ends the process in the middle of a write.
void RemovePendingTemporaryFile();

// Removes this user's temporary files in the folder `dirFd` whose creating process is gone,
// once per folder and process; TTemporaryFile::Create calls it.
void RemoveStaleTemporaryFiles(int dirFd);

// Tells that this process has just made the folder `dirFd`: it holds nothing to remove.
void NoteFolderMade(int dirFd);

// Whether `name` is one that TTemporaryFile gives.
bool IsTemporaryFileName(std::string_view name);

// Flushes a folder's entries to disk; 0 or the errno.
int FlushDirectory(int dirFd);

}  // namespace quorvane
