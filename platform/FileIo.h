#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace quorvane {

// Writes all of `data` at `offset`; false with the reason in errno.
bool WriteAllAt(int fd, std::string_view data, off_t offset);

// Makes `content` the whole content of the open file, where it lies; false with errno.
bool OverwriteContent(int fd, std::string_view content);

// Reads the whole file, whatever size it reports; `expected` is the size to make room for at
// once. False with the reason in errno.
bool ReadToEnd(int fd, size_t expected, std::string& content);

}  // namespace quorvane
