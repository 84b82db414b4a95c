#pragma once

#include <cstddef>
#include <string>

namespace quorvane {

// Reads the files that include directives name. The engine has no reader of its own: the
// program passes the platform's, the tests one in memory.
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

}  // namespace quorvane
