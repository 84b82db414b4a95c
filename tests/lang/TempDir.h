#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quorvane::testing {

// A fresh directory below the system's temporary directory, removed with everything in it.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-lang-XXXXXX");
    if (mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern + "/";
    }
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The directory with a trailing "/".
  const std::string& Path() const { return path_; }

  // Writes `bytes` to the file `name` in the directory; returns its full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string file = path_ + name;
    std::ofstream(file, std::ios::binary).write(bytes.data(), bytes.size());
    return file;
  }

 private:
  std::string path_;
};

}  // namespace quorvane::testing
