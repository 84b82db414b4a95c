#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace quorvane {

// The system calls through which files are read and replaced. The program uses the real ones;
// a test puts in a table of its own to fail a chosen call, or to act at a chosen moment. Each
// call behaves as the system call of its name: a result of -1 leaves the reason in errno.
class TSystemCalls {
 public:
  virtual ~TSystemCalls() = default;
  virtual int OpenAt(int dirFd, const char* path, int flags, mode_t mode);
  virtual ssize_t PRead(int fd, void* buffer, size_t size, off_t offset);
  virtual ssize_t PWrite(int fd, const void* data, size_t size, off_t offset);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int RenameAt(int fromDir, const char* from, int toDir, const char* to);
  virtual int LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags);
  virtual int UnlinkAt(int dirFd, const char* path, int flags);
  virtual int MkdirAt(int dirFd, const char* path, mode_t mode);
  virtual int Fstat(int fd, struct stat* status);
  virtual int FstatAt(int dirFd, const char* path, struct stat* status, int flags);
  virtual int Ftruncate(int fd, off_t length);
  virtual int Fallocate(int fd, int mode, off_t offset, off_t length);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Fchown(int fd, uid_t owner, gid_t group);
  virtual int Futimens(int fd, const struct timespec times[2]);
};

// The table in use: the real calls unless a TSystemCallsOverride is alive.
TSystemCalls& SystemCalls();

// Puts another table in use for its lifetime. Meant for tests; install it while no other
// thread reads or writes files.
class TSystemCallsOverride {
 public:
  explicit TSystemCallsOverride(TSystemCalls& calls);
  ~TSystemCallsOverride();
  TSystemCallsOverride(const TSystemCallsOverride&) = delete;
  TSystemCallsOverride& operator=(const TSystemCallsOverride&) = delete;

 private:
  TSystemCalls* previous_;
};

}  // namespace quorvane
