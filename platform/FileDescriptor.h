#pragma once

#include <unistd.h>

namespace quorvane {

// Owns a file descriptor and closes it when it goes out of scope.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd = -1) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  // Takes ownership of `fd`, closing the descriptor held before.
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }

  // Closes now; false when the close reported an error (a delayed write error, for example).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace quorvane
