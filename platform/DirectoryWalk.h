#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct TDirEntry {
  std::string Name;
  bool ReadOnly;
  bool Archive;
};

// The regular files in `dir` ("" for the current directory) whose names match `mask`, in the
// order the file system lists them. Hidden files, directories and special files (FIFOs,
// sockets, devices) are left out; symbolic links to regular files are listed.
std::vector<TDirEntry> FindFiles(const std::string& dir, const std::string& mask);

// The names of the subdirectories of `dir` that the file walk enters: real directories (not
// symbolic links), not hidden, writable by their owner.
std::vector<std::string> FindEnterableDirectories(const std::string& dir);

// Whole-name match: "*" matches any run of characters, "?" any one character (a UTF-8
// sequence, or a byte that belongs to none), every other character itself in exact letter case.
bool WildcardMatch(std::string_view mask, std::string_view name);

}  // namespace quorvane
