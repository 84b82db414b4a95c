#include "platform/TemporaryFile.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

#include "support/Paths.h"

namespace quorvane {
namespace {

// A signal handler may only look at memory that needs no allocation or locking, so the path of
// the pending file lives in a fixed buffer with a flag that says whether it is valid.
constinit char pendingPath[PATH_MAX] = {};
constinit std::atomic<bool> pendingSet{false};

void RegisterPending(const std::string& path) {
  std::memcpy(pendingPath, path.c_str(), path.size() + 1);
  pendingSet.store(true);
}

void UnregisterPending() {
  pendingSet.store(false);
}

// Blocks the interrupt signals for a scope, so that no handler runs between a file's creation
// and its registration.
class TInterruptsBlocked {
 public:
  TInterruptsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
  }
  ~TInterruptsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  TInterruptsBlocked(const TInterruptsBlocked&) = delete;
  TInterruptsBlocked& operator=(const TInterruptsBlocked&) = delete;

 private:
  sigset_t previous_;
};

std::string RandomSuffix() {
  static constexpr std::string_view kChars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[8];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    auto value = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                       (uint64_t{1} * getpid()));
    for (unsigned char& byte : bytes) {
      byte = static_cast<unsigned char>(value);
      value = value * 6364136223846793005u + 1442695040888963407u;
    }
  }
  std::string suffix;
  for (unsigned char byte : bytes) {
    suffix += kChars[byte % kChars.size()];
  }
  return suffix;
}

std::string TemporaryPathFor(const std::string& target) {
  // The name is cut so that the temporary name stays within the file system's limit.
  constexpr size_t kNameMax = 255;
  constexpr size_t kDecoration = 1 + 1 + 8;  // ".", "." and the suffix
  const std::string_view name = ExtractFileName(target);
  return std::string(ExtractFilePath(target)) + "." +
         std::string(name.substr(0, kNameMax - kDecoration)) + "." + RandomSuffix();
}

}  // namespace

TTemporaryFile::~TTemporaryFile() {
  Discard();
}

int TTemporaryFile::Create(const std::string& target, mode_t mode) {
  Discard();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = TemporaryPathFor(target);
    if (path.size() >= sizeof pendingPath) {
      return ENAMETOOLONG;
    }
    TInterruptsBlocked blocked;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (fd >= 0) {
      RegisterPending(path);
      path_ = std::move(path);
      file_.Reset(fd);
      return 0;
    }
    if (errno != EEXIST) {
      return errno;
    }
  }
  return EEXIST;
}

int TTemporaryFile::Commit(const std::string& target, bool flushDirectory) {
  if (!file_.Close() || ::rename(path_.c_str(), target.c_str()) != 0) {
    const int error = errno;
    Discard();
    return error;
  }
  path_.clear();
  UnregisterPending();
  if (flushDirectory) {
    const std::string directory(ExtractFilePath(target));
    TFileDescriptor dir(
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) {
      ::fsync(dir.Get());
    }
  }
  return 0;
}

void TTemporaryFile::Discard() {
  if (path_.empty()) {
    return;
  }
  file_.Close();
  ::unlink(path_.c_str());
  UnregisterPending();
  path_.clear();
}

void RemovePendingTemporaryFile() {
  if (pendingSet.load()) {
    ::unlink(pendingPath);
  }
}

}  // namespace quorvane
