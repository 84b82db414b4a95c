#include "platform/SystemCalls.h"

#include <unistd.h>

#include <atomic>

namespace quorvane {
namespace {

TSystemCalls& RealCalls() {
  static TSystemCalls calls;
  return calls;
}

// The one replaceable hook of the file road; the write-behind thread reads it too.
std::atomic<TSystemCalls*>& Current() {
  static std::atomic<TSystemCalls*> current{&RealCalls()};
  return current;
}

}  // namespace

int TSystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
  return ::openat(dirFd, path, flags, mode);
}

ssize_t TSystemCalls::PRead(int fd, void* buffer, size_t size, off_t offset) {
  return ::pread(fd, buffer, size, offset);
}

ssize_t TSystemCalls::PWrite(int fd, const void* data, size_t size, off_t offset) {
  return ::pwrite(fd, data, size, offset);
}

int TSystemCalls::Fsync(int fd) {
  return ::fsync(fd);
}

int TSystemCalls::Close(int fd) {
  return ::close(fd);
}

int TSystemCalls::RenameAt(int fromDir, const char* from, int toDir, const char* to) {
  return ::renameat(fromDir, from, toDir, to);
}

int TSystemCalls::LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags) {
  return ::linkat(fromDir, from, toDir, to, flags);
}

int TSystemCalls::UnlinkAt(int dirFd, const char* path, int flags) {
  return ::unlinkat(dirFd, path, flags);
}

int TSystemCalls::MkdirAt(int dirFd, const char* path, mode_t mode) {
  return ::mkdirat(dirFd, path, mode);
}

int TSystemCalls::Fstat(int fd, struct stat* status) {
  return ::fstat(fd, status);
}

int TSystemCalls::FstatAt(int dirFd, const char* path, struct stat* status, int flags) {
  return ::fstatat(dirFd, path, status, flags);
}

int TSystemCalls::Ftruncate(int fd, off_t length) {
  return ::ftruncate(fd, length);
}

int TSystemCalls::Fallocate(int fd, int mode, off_t offset, off_t length) {
  return ::fallocate(fd, mode, offset, length);
}

int TSystemCalls::Fchmod(int fd, mode_t mode) {
  return ::fchmod(fd, mode);
}

int TSystemCalls::Fchown(int fd, uid_t owner, gid_t group) {
  return ::fchown(fd, owner, group);
}

int TSystemCalls::Futimens(int fd, const struct timespec times[2]) {
  return ::futimens(fd, times);
}

TSystemCalls& SystemCalls() {
  return *Current().load();
}

TSystemCallsOverride::TSystemCallsOverride(TSystemCalls& calls)
    : previous_(Current().exchange(&calls)) {}

TSystemCallsOverride::~TSystemCallsOverride() {
  Current().store(previous_);
}

}  // namespace quorvane
