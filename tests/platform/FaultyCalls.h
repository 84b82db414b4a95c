#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <set>
#include <string>

#include "platform/Files.h"
#include "platform/SystemCalls.h"

namespace quorvane::test {

// A system-call table that fails, or acts, at the Nth call of one kind.
class TFaultyCalls : public TSystemCalls {
 public:
  enum class TKind { Write, Rename, Fsync, Close, Other, Any };

  TFaultyCalls(TKind kind, int failAt, int error = EIO)
      : kind_(kind), failAt_(failAt), error_(error) {}

  // Every call of the kind from the Nth on fails (a full disk stays full).
  bool Persistent = false;
  // Done at the Nth call instead of failing it (SIGKILL, a file swapped in).
  std::function<void()> Action;
  // Unnamed temporary files are refused, as on a file system that has none.
  bool NoUnnamedFiles = false;

  bool Hit() const { return hit_; }
  // The call hit was the close of a descriptor with nothing unflushed written through it:
  // nothing can be lost, so nothing needs to be reported.
  bool HitHarmlessClose() const { return harmlessClose_; }

  int OpenAt(int dirFd, const char* path, int flags, mode_t mode) override {
    if (Fault(TKind::Other)) {
      return -1;
    }
    if (NoUnnamedFiles && (flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return TSystemCalls::OpenAt(dirFd, path, flags, mode);
  }
  ssize_t PRead(int fd, void* buffer, size_t size, off_t offset) override {
    return Fault(TKind::Other) ? -1 : TSystemCalls::PRead(fd, buffer, size, offset);
  }
  ssize_t PWrite(int fd, const void* data, size_t size, off_t offset) override {
    written_.insert(fd);
    return Fault(TKind::Write) ? -1 : TSystemCalls::PWrite(fd, data, size, offset);
  }
  int Fallocate(int fd, int mode, off_t offset, off_t length) override {
    return Fault(TKind::Write) ? -1 : TSystemCalls::Fallocate(fd, mode, offset, length);
  }
  int Fsync(int fd) override {
    if (Fault(TKind::Fsync)) {
      return -1;
    }
    const int result = TSystemCalls::Fsync(fd);
    if (result == 0) {
      written_.erase(fd);  // on disk now: a failing close can lose nothing
    }
    return result;
  }
  int Close(int fd) override {
    const bool written = written_.erase(fd) > 0;
    if (Fault(TKind::Close)) {
      harmlessClose_ = !written;
      TSystemCalls::Close(fd);  // a failed close still frees the descriptor
      return -1;
    }
    return TSystemCalls::Close(fd);
  }
  int RenameAt(int fromDir, const char* from, int toDir, const char* to) override {
    return Fault(TKind::Rename) ? -1 : TSystemCalls::RenameAt(fromDir, from, toDir, to);
  }
  int LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags) override {
    return Fault(TKind::Rename) ? -1 : TSystemCalls::LinkAt(fromDir, from, toDir, to, flags);
  }
  int UnlinkAt(int dirFd, const char* path, int flags) override {
    return Fault(TKind::Other) ? -1 : TSystemCalls::UnlinkAt(dirFd, path, flags);
  }
  int Fstat(int fd, struct stat* status) override {
    return Fault(TKind::Other) ? -1 : TSystemCalls::Fstat(fd, status);
  }
  int FstatAt(int dirFd, const char* path, struct stat* status, int flags) override {
    return Fault(TKind::Other) ? -1 : TSystemCalls::FstatAt(dirFd, path, status, flags);
  }
  int Ftruncate(int fd, off_t length) override {
    written_.insert(fd);
    return Fault(TKind::Other) ? -1 : TSystemCalls::Ftruncate(fd, length);
  }
  int Futimens(int fd, const struct timespec times[2]) override {
    return Fault(TKind::Other) ? -1 : TSystemCalls::Futimens(fd, times);
  }

 private:
  // Counts the call; true when it is to fail.
  bool Fault(TKind kind) {
    if (kind_ != TKind::Any && kind != kind_) {
      return false;
    }
    ++count_;
    if (count_ < failAt_ || (count_ > failAt_ && !Persistent)) {
      return false;
    }
    hit_ = true;
    if (Action) {
      Action();
      return false;
    }
    errno = error_;
    return true;
  }

  TKind kind_;
  int failAt_;
  int error_;
  int count_ = 0;
  bool hit_ = false;
  bool harmlessClose_ = false;
  std::set<int> written_;
};

// Reads `file` and writes `content` over it in a child process that the system-call seam kills
// at the Nth call of `kind`, as SIGKILL or a power cut would. Returns true when the child was
// killed, false when the write ran through first.
inline bool KilledWrite(const std::string& file, const std::string& content,
                        TFaultyCalls::TKind kind, int killAt, bool noUnnamedFiles = false) {
  const pid_t child = ::fork();
  if (child == 0) {
    TReadFile read;
    std::string old;
    ReadWholeFile(file, old, read);
    TFaultyCalls calls(kind, killAt);
    calls.NoUnnamedFiles = noUnnamedFiles;
    calls.Action = [] { ::raise(SIGKILL); };
    const TSystemCallsOverride use(calls);
    ::_exit(WriteReadFile(read, content) == TFileError::None ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
  return WIFSIGNALED(status);
}

}  // namespace quorvane::test
