#pragma once

#include <cstddef>
#include <string>

namespace quorvane {

// Reads the files that include directives name.
class IIncludeFiles {
 public:
  enum class TResult {
    Loaded,
    Missing,     // no such file, or a directory
    Unreadable,  // cannot be read, or not a regular file (FIFO, socket, device)
    TooLarge,    // larger than the size allowed
  };
  virtual ~IIncludeFiles() = default;
  virtual TResult Load(const std::string& path, size_t maxSize, std::string& content) = 0;
};

// Reads regular files from the file system; never opens anything that could block.
class TFileSystemIncludes : public IIncludeFiles {
 public:
  TResult Load(const std::string& path, size_t maxSize, std::string& content) override;
};

}  // namespace quorvane
