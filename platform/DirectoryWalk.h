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

// What the file walk looks for in one directory.
struct TListRequest {
  std::vector<std::string> Masks;  // wildcard masks, or names with NamesOnly
  bool NamesOnly = false;          // "*" and "?" in a mask are characters of a name
  bool Directories = false;        // list the subdirectories the walk enters
  bool Archive = false;            // find each file's archive attribute (else it reads true)
};

struct TDirListing {
  // The regular files whose names match, mask by mask, each in the order the file system lists
  // them. Hidden files, directories and special files (FIFOs, sockets, devices) are left out;
  // symbolic links to regular files are listed.
  std::vector<TDirEntry> Files;
  // The subdirectories the file walk enters: real directories (not symbolic links), not
  // hidden, writable by their owner.
  std::vector<std::string> Directories;
};

// Reads `dir` ("" for the current directory) once for everything `request` asks, with one
// status per candidate. A directory that cannot be read lists nothing. A request for names
// only, without directories, reads no directory at all.
TDirListing ListDirectory(const std::string& dir, const TListRequest& request);

// The files of `dir` that match the one mask `mask`, with their archive attributes.
std::vector<TDirEntry> FindFiles(const std::string& dir, const std::string& mask);

// Whole-name match: "*" matches any run of characters, "?" any one character (a UTF-8
// sequence, or a byte that belongs to none), every other character itself in exact letter case.
bool WildcardMatch(std::string_view mask, std::string_view name);

}  // namespace quorvane
