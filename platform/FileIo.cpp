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

namespace {

// Gives `content` room for `size` bytes after its first `length`, fills the room through
// `fill`, which returns how many bytes it filled, and keeps those. Where the library can, the
// room is not set to zeros first: a page is read once, not cleared and then read.
template <typename Fill>
void FillRoom(std::string& content, size_t length, size_t size, Fill fill) {
#if defined(__cpp_lib_string_resize_and_overwrite)
  content.resize_and_overwrite(
      size, [&](char* data, size_t room) { return length + fill(data + length, room - length); });
#else
  content.resize(size);
  content.resize(length + fill(content.data() + length, size - length));
#endif
}

}  // namespace

bool ReadToEnd(int fd, size_t expected, std::string& content) {
  content.clear();
  bool failed = false;
  bool ended = false;
  // One byte more than expected, so that the read that sees the end fits.
  for (size_t room = expected + 1; !failed && !ended; room *= 2) {
    const size_t length = content.size();
    FillRoom(content, length, room, [&](char* at, size_t space) {
      size_t filled = 0;
      while (filled < space) {
        const ssize_t count = SystemCalls().PRead(fd, at + filled, space - filled,
                                                  static_cast<off_t>(length + filled));
        if (count < 0 && errno == EINTR) {
          continue;
        }
        failed = count < 0;
        ended = count == 0;
        if (count <= 0) {
          break;
        }
        filled += static_cast<size_t>(count);
      }
      return filled;
    });
  }
  return !failed;
}

}  // namespace quorvane
