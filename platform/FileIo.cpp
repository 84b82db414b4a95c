#include "platform/FileIo.h"

#include <cerrno>

#include "platform/SystemCalls.h"

namespace quorvane {

bool WriteAllAt(int fd, std::string_view data, off_t offset) {
  while (!data.empty()) {
    const ssize_t count = SystemCalls().PWrite(fd, data.data(), data.size(), offset);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      if (count == 0) {
        errno = EIO;
      }
      return false;
    }
    data.remove_prefix(static_cast<size_t>(count));
    offset += count;
  }
  return true;
}

bool OverwriteContent(int fd, std::string_view content) {
  return WriteAllAt(fd, content, 0) &&
         SystemCalls().Ftruncate(fd, static_cast<off_t>(content.size())) == 0;
}

bool ReadToEnd(int fd, size_t expected, std::string& content) {
  content.resize(expected + 1);  // one byte more, so that the read that sees the end fits
  size_t length = 0;
  for (;;) {
    if (length == content.size()) {
      content.resize(content.size() * 2);
    }
    const ssize_t count = SystemCalls().PRead(fd, content.data() + length, content.size() - length,
                                              static_cast<off_t>(length));
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return false;
    }
    if (count == 0) {
      content.resize(length);
      return true;
    }
    length += static_cast<size_t>(count);
  }
}

}  // namespace quorvane
