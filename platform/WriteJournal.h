#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/FileLocation.h"

namespace quorvane {

// A durable copy of a file's old content, kept while the file is rewritten where it lies (a
// file with several hard links, or one in a folder that allows no new file). A process killed
// in the middle of such a write leaves its journal behind, and the next run that meets the file
// puts the old content back (RestoreFromJournal), so the file is always either old or new.
//
// Journals are found by the file's device and inode, so any name of the file finds them: in
// the user's state folder ($XDG_STATE_HOME/quorvane/journals, ~/.local/state when unset), or,
// where that cannot be had, beside the file under a hidden name. Only journals that belong to
// the process's user are ever read.
class TWriteJournal {
 public:
  TWriteJournal() = default;
  // A journal that was not finished stays: its file may be half-written.
  ~TWriteJournal() = default;
  TWriteJournal(const TWriteJournal&) = delete;
  TWriteJournal& operator=(const TWriteJournal&) = delete;

  // Stores `content`, the whole content of the file that `status` describes (named `path` for
  // messages, lying in the folder open as `fileDirFd`), and makes it durable. Returns 0 or the
  // errno of the failure; EEXIST when the file has a journal already.
  int Begin(const struct stat& status, std::string_view path, std::string_view content,
            int fileDirFd);
  // The file holds a whole content again, on disk: the journal goes.
  void Finish();

 private:
  TFileDescriptor directory_;
  std::string name_;
};

struct TJournalRestore {
  enum class TStatus { None, Restored, Failed };
  TStatus Status = TStatus::None;
  std::string JournalPath;  // where the old content lies; set when it could not be put back
};

// Puts back the old content of the file `path` (symbolic links followed) when a journal of this
// user holds it, and removes the journal. Failed leaves both as they are.
TJournalRestore RestoreFromJournal(const std::string& path);
// The same for the regular file `status` describes, named in `location`.
TJournalRestore RestoreFromJournal(const TFileLocation& location, const struct stat& status);

}  // namespace quorvane
