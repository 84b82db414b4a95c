#pragma once

#include <filesystem>
#include <string>

#include "FakeMessages.h"

namespace quorvane::test {

// A directory under the system's temporary directory, removed with everything in it.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `text` to the file `name` in the directory; returns its full path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

}  // namespace quorvane::test
