#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProgramFiles.h"

namespace quorvane::test {

// The language choice of a first start: English texts, whatever the machine's locale.
inline bool ChooseEnglish(std::string& country, std::string& language) {
  country = FindDataFile("STATE_GB.nls");
  language = FindDataFile("Quorvane_en.nls");
  return true;
}

// A fresh directory (path ending in "/"), removed with all it holds, also where a test took
// away write permission.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern + "/";
  }
  ~TTempDir() {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_directory() && !it->is_symlink()) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
      }
    }
    fs::remove_all(path_, error);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string PathWithoutSlash() const { return path_.substr(0, path_.size() - 1); }
  std::string operator/(const std::string& name) const { return path_ + name; }
  // Writes `bytes` to the file `name` in the directory; returns its full path.
  std::string Write(const std::string& name, std::string_view bytes) const;

 private:
  std::string path_;
};

// Writes the file, and the folders on its way where they are missing.
inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
}

inline std::string TTempDir::Write(const std::string& name, std::string_view bytes) const {
  WriteBytes(path_ + name, bytes);
  return path_ + name;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The names in a directory, sorted.
inline std::vector<std::string> EntryNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline constexpr int kCannotDropPrivileges = 77;

// Runs `body` in a child process, a process of its own as a later run of the program is.
// Returns the child's exit code: 0 when its expectations held.
inline int RunInChild(const std::function<void()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    ::_exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs `body` in a child process that cannot override permission bits (as root it becomes the
// user nobody).
inline int RunUnprivileged(const std::function<void()>& body) {
  return RunInChild([&body] {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(kCannotDropPrivileges);
    }
    body();
  });
}

// Sets or unsets environment variables for a scope.
class TScopedEnvironment {
 public:
  ~TScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      Apply(name, value);
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (saved_.find(name) == saved_.end()) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old == nullptr ? std::nullopt : std::optional<std::string>(old);
    }
    Apply(name, value);
  }

 private:
  static void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

// XDG_CONFIG_HOME pointed at a fresh folder while the object lives. Declared before a settings
// store, it is in place when the store is made.
class TScopedConfigHome {
 public:
  TScopedConfigHome() { environment_.Set("XDG_CONFIG_HOME", dir_.Path()); }

 private:
  TTempDir dir_;
  TScopedEnvironment environment_;
};

// Points XDG_STATE_HOME, where write journals go, at a fresh folder for a whole test program,
// so that no test reads or leaves journals in the user's own.
class TStateHomeEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TTempDir>();
    ::setenv("XDG_STATE_HOME", dir_->Path().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_STATE_HOME");
    dir_.reset();
  }

 private:
  std::unique_ptr<TTempDir> dir_;
};

// The journals in the folder of TStateHomeEnvironment.
inline std::vector<std::string> JournalNames() {
  const std::string dir = std::string(std::getenv("XDG_STATE_HOME")) + "/quorvane/journals";
  return std::filesystem::exists(dir) ? EntryNames(dir) : std::vector<std::string>{};
}

}  // namespace quorvane::test
