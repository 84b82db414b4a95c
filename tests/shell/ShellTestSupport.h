#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quorvane::test {

// A fresh directory below the system's temporary directory, removed with everything in it.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = std::filesystem::temp_directory_path() / "quorvane-shell-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// A MIME package below `dataHome` that gives ".shtml" a document type of its own, so that the
// three default extensions name two types.
inline void WriteSampleMimeData(const std::filesystem::path& dataHome) {
  WriteText(dataHome / "mime/packages/quorvane-test.xml",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="text/x-server-parsed-html">
    <comment>Server-parsed HTML page</comment>
    <sub-class-of type="text/html"/>
    <glob pattern="*.shtml"/>
  </mime-type>
</mime-info>
)");
}

inline constexpr char kActionName[] = "quorvane-00000701-75e7-11d7-0266-00a024502a20";

// One home for the whole test program, made on first use: the MIME database reads the data
// directories once per process. XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CONFIG_DIRS point into it.
inline const std::filesystem::path& SharedHome() {
  static const TTempDir home;
  static const bool prepared = [] {
    ::setenv("XDG_DATA_HOME", (home.Path() / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.Path() / "config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home.Path() / "system").c_str(), 1);
    WriteSampleMimeData(home.Path() / "data");
    return true;
  }();
  (void)prepared;
  return home.Path();
}

}  // namespace quorvane::test
