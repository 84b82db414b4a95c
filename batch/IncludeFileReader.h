#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/IncludeFiles.h"

namespace quorvane {

// Reads the files that a document's include directives name, through the non-blocking
// whole-file read: only regular files, and nothing that could block (a FIFO or a device is
// never opened). When the process runs as root on a document that another user owns, a file is
// read only if that user could read it (by the owner, group and mode bits of the file and of
// every directory on its path, with the user's groups); any other counts as missing, so that a
// page cannot pull in what its owner may not see. Access control lists are not consulted.
class TIncludeFileReader : public IIncludeFiles {
 public:
  explicit TIncludeFileReader(const std::string& documentPath);
  TResult Load(const std::string& path, size_t maxSize, std::string& content) override;

  // Whose view of the files the reads keep to.
  struct TUserView {
    uid_t Uid;
    std::vector<gid_t> Groups;
  };

 private:
  TResult LoadAsOwner(const std::string& path, size_t maxSize, std::string& content) const;
  void FindOwner();

  std::string documentPath_;
  bool ownerKnown_ = false;         // the owner is looked up with the first include only
  std::optional<TUserView> owner_;  // none: the process's own view
};

}  // namespace quorvane
