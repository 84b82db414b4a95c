#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/FileContent.h"

namespace quorvane {

// The file through which the editor shows its unsaved text in the browser: "~" + seven capital
// letters + ".htm", made new by this program and written only through the descriptor it was
// made with. A file or link that another program puts at its name is never written or removed.
class TPreviewFile {
 public:
  TPreviewFile() = default;
  TPreviewFile(const TPreviewFile&) = delete;
  TPreviewFile& operator=(const TPreviewFile&) = delete;

  // Makes a new file under a free name in `directory` (empty or ending in "/") with exactly the
  // permission bits `mode`, forgetting the one made before. Returns 0, EEXIST when 1001 names
  // were all taken, or the errno of the failure.
  int Create(const std::string& directory, mode_t mode);

  // The path of the file made; empty when there is none.
  const std::string& Path() const { return path_; }
  // Whether the name still names the file made.
  bool NameIsOurs() const;

  // Makes `data` the file's content.
  TFileError Write(std::string_view data);

  // Removes the file if its name still names it, and forgets it.
  void Remove();

 private:
  void Forget();

  TFileLocation location_;
  TFileDescriptor file_;
  std::string path_;
};

}  // namespace quorvane
