#pragma once

#include <optional>
#include <string>

#include "platform/FileDescriptor.h"

namespace quorvane {

// Where a file lies: its folder, held open so that the folder cannot be swapped for another
// one under the file's name, and the file's name in it.
struct TFileLocation {
  TFileDescriptor Directory;
  std::string DirectoryPath;  // the folder as named, ending in "/"; empty for the current one
  std::string Name;

  std::string Path() const { return DirectoryPath + Name; }
};

// Follows the symbolic links that `path` names (at most 40, relative ones against the folder of
// the link) to the file itself, which need not exist, and opens its folder. Nothing, with the
// reason in errno, when the folder cannot be opened or the links do not end.
std::optional<TFileLocation> LocateFile(const std::string& path);

// The same for the name `path` itself, whatever it names (a link there is not followed).
std::optional<TFileLocation> LocateName(const std::string& path);

}  // namespace quorvane
