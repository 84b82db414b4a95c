#pragma once

#include "platform/SystemCalls.h"

namespace quorvane {

// Owns a file descriptor and closes it when it goes out of scope.
class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() { Close(); }
  TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  // Takes ownership of `fd`, closing the descriptor held before.
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }

  // Gives the descriptor up without closing it.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }

  // Closes now; false when the close reported an error (a delayed write error, for example).
  bool Close() {
    const int fd = Release();
    return fd < 0 || SystemCalls().Close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

}  // namespace quorvane
