#include "platform/TemporaryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "support/Paths.h"

namespace quorvane {
namespace {

constexpr std::string_view kMarker = ".quorvane-";
constexpr size_t kRandomLength = 6;

// A signal handler may only look at memory that needs no allocation or locking, so the name of
// the pending file lives in a fixed buffer with its folder's descriptor and a validity flag.
constinit char pendingName[NAME_MAX + 1] = {};
constinit std::atomic<int> pendingDirectory{-1};

void RegisterPending(int dirFd, const std::string& name) {
  std::memcpy(pendingName, name.c_str(), name.size() + 1);
  pendingDirectory.store(dirFd);
}

void UnregisterPending() {
  pendingDirectory.store(-1);
}

// Blocks the interrupt signals for a scope, so that no handler runs between a file's naming
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

std::string RandomPart() {
  static constexpr std::string_view kChars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kRandomLength];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    auto value = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                       (uint64_t{1} * getpid()));
    for (unsigned char& byte : bytes) {
      byte = static_cast<unsigned char>(value >> 33);
      value = value * 6364136223846793005u + 1442695040888963407u;
    }
  }
  std::string part;
  for (unsigned char byte : bytes) {
    part += kChars[byte % kChars.size()];
  }
  return part;
}

// When the process `pid` started, in clock ticks after boot (field 22 of /proc/PID/stat).
// Together with the id it names one process: an id may be given again, its start time not.
std::optional<uint64_t> ProcessStartTime(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) {
    return std::nullopt;
  }
  const size_t end = line.rfind(')');  // the command name may hold blanks and parentheses
  if (end == std::string::npos) {
    return std::nullopt;
  }
  std::istringstream fields(line.substr(end + 1));
  std::string field;
  for (int number = 3; number <= 22 && fields >> field; ++number) {
    if (number == 22) {
      uint64_t start = 0;
      const auto [rest, error] = std::from_chars(field.data(), field.data() + field.size(), start);
      return error == std::errc() && rest == field.data() + field.size()
                 ? std::optional<uint64_t>(start)
                 : std::nullopt;
    }
  }
  return std::nullopt;
}

std::string Hex(uint64_t value) {
  char digits[17];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, 16);
  return std::string(digits, end);
}

// "PID-STARTTIME" of this process, in hexadecimal; read once per process (a forked child is
// another one).
std::string OwnCreatorTag() {
  static std::mutex lock;
  static pid_t taggedPid = 0;
  static std::string tag;
  const pid_t pid = ::getpid();
  const std::lock_guard<std::mutex> guard(lock);
  if (pid != taggedPid) {
    tag = Hex(static_cast<uint64_t>(pid)) + "-" + Hex(ProcessStartTime(pid).value_or(0));
    taggedPid = pid;
  }
  return tag;
}

std::string TemporaryName(std::string_view targetName) {
  const std::string creator = OwnCreatorTag();
  const size_t decoration = 1 + kMarker.size() + creator.size() + 1 + kRandomLength;
  std::string name(1, '.');
  name.append(targetName.substr(0, NAME_MAX - decoration));
  name.append(kMarker);
  name.append(creator).append("-").append(RandomPart());
  return name;
}

struct TCreator {
  pid_t Pid;
  uint64_t StartTime;
};

std::optional<uint64_t> ParseHex(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The process that made a temporary file, read from its name.
std::optional<TCreator> CreatorOf(std::string_view name) {
  const size_t marker = name.rfind(kMarker);
  if (name.empty() || name[0] != '.' || marker == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view rest = name.substr(marker + kMarker.size());
  const size_t first = rest.find('-');
  const size_t second = first == std::string_view::npos ? first : rest.find('-', first + 1);
  if (second == std::string_view::npos || rest.size() - second - 1 != kRandomLength) {
    return std::nullopt;
  }
  for (char c : rest.substr(second + 1)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) {
      return std::nullopt;
    }
  }
  const auto pid = ParseHex(rest.substr(0, first));
  const auto start = ParseHex(rest.substr(first + 1, second - first - 1));
  if (!pid || !start || *pid == 0 || *pid > INT_MAX) {
    return std::nullopt;
  }
  return TCreator{static_cast<pid_t>(*pid), *start};
}

// Without a way to tell (no /proc, another user's process) the creator counts as alive.
bool CreatorGone(const TCreator& creator) {
  if (const std::optional<uint64_t> start = ProcessStartTime(creator.Pid)) {
    return *start != creator.StartTime;
  }
  return ::kill(creator.Pid, 0) != 0 && errno == ESRCH;
}

// Counts the folder among those this process has cleared, by device and inode (a forked child
// is a process of its own); false when it was counted already.
bool CountCleared(int dirFd) {
  static std::mutex lock;
  static std::set<std::tuple<pid_t, dev_t, ino_t>> visited;
  struct stat status;
  if (SystemCalls().Fstat(dirFd, &status) != 0) {
    return false;
  }
  const std::lock_guard<std::mutex> guard(lock);
  return visited.emplace(::getpid(), status.st_dev, status.st_ino).second;
}

bool ProcFileSystemAvailable() {
  static const bool available = ::access("/proc/self/fd", X_OK) == 0;
  return available;
}

std::string ProcPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

// Gives the unnamed file `fd` the name `name` in `dirFd`; 0 or -1 with errno. Linux lets the
// process that opened the file name it through its descriptor since 6.10; before, that needed
// a privilege (it says ENOENT), and once the way through /proc worked instead it is taken from
// then on. An ENOENT that /proc gives too (the folder was removed) changes nothing.
int LinkUnnamed(int fd, int dirFd, const char* name) {
  static std::atomic<bool> direct{true};
  const bool tryDirect = direct.load(std::memory_order_relaxed);
  if (tryDirect) {
    if (SystemCalls().LinkAt(fd, "", dirFd, name, AT_EMPTY_PATH) == 0) {
      return 0;
    }
    if (errno != ENOENT) {
      return -1;
    }
  }
  const int linked =
      SystemCalls().LinkAt(AT_FDCWD, ProcPath(fd).c_str(), dirFd, name, AT_SYMLINK_FOLLOW);
  if (linked == 0 && tryDirect) {
    direct.store(false, std::memory_order_relaxed);
  }
  return linked;
}

}  // namespace

TTemporaryFile::~TTemporaryFile() {
  Discard();
}

int TTemporaryFile::CreateUnnamed(int dirFd, std::string_view targetName, mode_t mode) {
  Discard();
  directory_.Reset(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
  if (!directory_.Valid()) {
    return errno;
  }
  RemoveStaleTemporaryFiles(directory_.Get());
  targetName_ = targetName;
  if (!ProcFileSystemAvailable()) {
    return EOPNOTSUPP;  // it could never be given a name
  }
  const int fd =
      SystemCalls().OpenAt(directory_.Get(), ".", O_TMPFILE | O_RDWR | O_NOCTTY | O_CLOEXEC, mode);
  if (fd < 0) {
    return errno;
  }
  file_.Reset(fd);
  unnamed_ = true;
  return 0;
}

int TTemporaryFile::Create(int dirFd, std::string_view targetName, mode_t mode) {
  // Only a file system without unnamed files is a reason to try a named one.
  const int error = CreateUnnamed(dirFd, targetName, mode);
  if (error == 0 || !directory_.Valid() ||
      (error != EOPNOTSUPP && error != EISDIR && error != EINVAL && error != ENOENT)) {
    return error;
  }
  constexpr int kFlags = O_NOCTTY | O_CLOEXEC;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TemporaryName(targetName);
    TInterruptsBlocked blocked;
    const int fd = SystemCalls().OpenAt(directory_.Get(), name.c_str(),
                                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | kFlags, mode);
    if (fd >= 0) {
      RegisterPending(directory_.Get(), name);
      name_ = std::move(name);
      file_.Reset(fd);
      return 0;
    }
    if (errno != EEXIST) {
      return errno;
    }
  }
  return EEXIST;
}

int TTemporaryFile::Create(const std::string& target, mode_t mode) {
  const std::string directory(ExtractFilePath(target));
  TFileDescriptor dir(SystemCalls().OpenAt(AT_FDCWD, directory.empty() ? "." : directory.c_str(),
                                           O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!dir.Valid()) {
    return errno;
  }
  return Create(dir.Get(), ExtractFileName(target), mode);
}

// An unnamed file gets its name through the descriptor's entry in /proc, the one way that
// needs no privilege.
int TTemporaryFile::GiveName() {
  if (!unnamed_) {
    return 0;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TemporaryName(targetName_);
    TInterruptsBlocked blocked;
    if (LinkUnnamed(file_.Get(), directory_.Get(), name.c_str()) == 0) {
      RegisterPending(directory_.Get(), name);
      name_ = std::move(name);
      unnamed_ = false;
      return 0;
    }
    if (errno != EEXIST) {
      return errno;
    }
  }
  return EEXIST;
}

int TTemporaryFile::CloseNamed() {
  if (const int error = GiveName(); error != 0) {
    Discard();
    return error;
  }
  if (!file_.Close()) {
    const int error = errno;
    Discard();
    return error;
  }
  return 0;
}

int TTemporaryFile::RenameOver(std::string_view targetName) {
  const std::string target(targetName);
  if (name_.empty() || SystemCalls().RenameAt(directory_.Get(), name_.c_str(), directory_.Get(),
                                              target.c_str()) != 0) {
    const int error = name_.empty() ? EBADF : errno;
    Discard();
    return error;
  }
  name_.clear();
  UnregisterPending();
  return 0;
}

int TTemporaryFile::LinkAs(std::string_view name) {
  const std::string target(name);
  const int linked = unnamed_
                         ? LinkUnnamed(file_.Get(), directory_.Get(), target.c_str())
                         : SystemCalls().LinkAt(directory_.Get(), name_.c_str(), directory_.Get(),
                                                target.c_str(), 0);
  if (linked != 0) {
    const int error = errno;
    Discard();
    return error;
  }
  unnamed_ = false;
  Discard();  // the file lives on under `name`; only the temporary name goes
  return 0;
}

int TTemporaryFile::LinkIfFree(std::string_view name) {
  if (!unnamed_) {
    return EEXIST;
  }
  const std::string target(name);
  if (LinkUnnamed(file_.Get(), directory_.Get(), target.c_str()) != 0) {
    const int error = errno;
    if (error != EEXIST) {
      Discard();
    }
    return error;
  }
  unnamed_ = false;
  if (!file_.Close()) {
    // What was written may be lost: the name goes again, as the file would have without one.
    const int error = errno;
    SystemCalls().UnlinkAt(directory_.Get(), target.c_str(), 0);
    Discard();
    return error;
  }
  Discard();
  return 0;
}

int TTemporaryFile::Commit(const std::string& target, bool flushDirectory) {
  if (const int error = CloseNamed(); error != 0) {
    return error;
  }
  if (const int error = RenameOver(ExtractFileName(target)); error != 0) {
    return error;
  }
  return flushDirectory ? FlushDirectory(directory_.Get()) : 0;
}

void TTemporaryFile::Discard() {
  file_.Close();
  if (!name_.empty()) {
    SystemCalls().UnlinkAt(directory_.Get(), name_.c_str(), 0);
    UnregisterPending();
    name_.clear();
  }
  unnamed_ = false;
}

void RemovePendingTemporaryFile() {
  const int dirFd = pendingDirectory.load();
  if (dirFd >= 0) {
    ::unlinkat(dirFd, pendingName, 0);
  }
}

void RemoveStaleTemporaryFiles(int dirFd) {
  if (!CountCleared(dirFd)) {
    return;
  }
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
  if (dir == nullptr) {
    if (listFd >= 0) {
      ::close(listFd);
    }
    return;
  }
  const uid_t user = ::geteuid();
  while (const dirent* entry = ::readdir(dir)) {
    const std::optional<TCreator> creator = CreatorOf(entry->d_name);
    struct stat status;
    if (creator && SystemCalls().FstatAt(dirFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode) && status.st_uid == user && CreatorGone(*creator)) {
      SystemCalls().UnlinkAt(dirFd, entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

void NoteFolderMade(int dirFd) {
  CountCleared(dirFd);
}

bool IsTemporaryFileName(std::string_view name) {
  return CreatorOf(name).has_value();
}

int FlushDirectory(int dirFd) {
  return SystemCalls().Fsync(dirFd) == 0 ? 0 : errno;
}

}  // namespace quorvane
