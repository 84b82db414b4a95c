#include "platform/JobChannel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace quorvane {

namespace {

// How long a sender waits while the receiver's queue is full. The receiver takes messages
// between files and inside long files, so a full queue empties quickly while it works.
constexpr auto kSendPatience = std::chrono::seconds(10);
constexpr int kSendSlice = 200;  // milliseconds one blocking send may wait
constexpr size_t kMaxPassedDescriptors = 16;

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

int NewSocket() {
  return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

// connect() on a fresh socket: 0, or the errno it failed with.
int ConnectError(int fd, const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) {
    return ENAMETOOLONG;
  }
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return 0;
  }
  return errno;
}

std::string DirectoryPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Holds the lock of the channel directory: taking over a stale name and giving up one's own
// must not interleave between processes.
class TDirectoryLock {
 public:
  explicit TDirectoryLock(const std::string& directory)
      : fd_(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_.Valid()) {
      while (::flock(fd_.Get(), LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  bool Held() const { return fd_.Valid(); }

 private:
  TFileDescriptor fd_;  // closing it releases the lock
};

// The ancillary data of one received datagram: the sender's user, if told. Descriptors that
// a sender passed along are closed at once; the program never takes any.
struct TControlBuffer {
  alignas(cmsghdr) char data[CMSG_SPACE(sizeof(ucred)) +
                             CMSG_SPACE(sizeof(int) * kMaxPassedDescriptors)];
};

std::optional<uid_t> SenderOf(msghdr& message) {
  std::optional<uid_t> sender;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
       header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET) {
      continue;
    }
    if (header->cmsg_type == SCM_CREDENTIALS && header->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
      ucred credentials;
      std::memcpy(&credentials, CMSG_DATA(header), sizeof credentials);
      sender = credentials.uid;
    } else if (header->cmsg_type == SCM_RIGHTS) {
      const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      for (size_t i = 0; i < count; ++i) {
        int fd;
        std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
        ::close(fd);
      }
    }
  }
  return sender;
}

// recvmsg() with room for the credentials; `sender` is set from them.
long ReceiveWithSender(int fd, char* buffer, size_t capacity, int flags,
                       std::optional<uid_t>& sender, bool& controlTruncated) {
  iovec part{buffer, capacity};
  TControlBuffer control;
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control.data;
  message.msg_controllen = sizeof control.data;
  ssize_t length;
  do {
    length = ::recvmsg(fd, &message, flags | MSG_DONTWAIT | MSG_TRUNC | MSG_CMSG_CLOEXEC);
  } while (length < 0 && errno == EINTR);
  if (length < 0) {
    sender.reset();
    controlTruncated = false;
    return -1;
  }
  sender = message.msg_controllen > 0 ? SenderOf(message) : std::nullopt;
  controlTruncated = (message.msg_flags & MSG_CTRUNC) != 0;
  return static_cast<long>(length);
}

}  // namespace

std::string TJobChannel::PathFor(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const uid_t user = ::geteuid();
  const std::string directory = runtime != nullptr && runtime[0] == '/'
                                    ? std::string(runtime) + "/quorvane"
                                    : "/tmp/quorvane-" + std::to_string(user);
  if (::mkdir(directory.c_str(), 0700) == 0) {
    ::chmod(directory.c_str(), 0700);  // a strict umask must not lock the owner out
  } else if (errno != EEXIST) {
    return {};
  }
  struct stat status {};
  if (::lstat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != user || (status.st_mode & 0777) != 0700) {
    return {};
  }
  const std::string path = directory + "/" + name;
  sockaddr_un address;
  return MakeAddress(path, address) ? path : std::string();
}

bool TJobChannel::BindTo(const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) {
    errno = ENAMETOOLONG;
    return false;
  }
  fd_.Reset(NewSocket());
  const int on = 1;
  // Credentials must be asked for before the first sender can reach the socket.
  if (!fd_.Valid() || ::setsockopt(fd_.Get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
      ::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    fd_.Close();
    errno = error;
    return false;
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    inode_ = status.st_ino;
    device_ = status.st_dev;
  }
  path_ = path;
  stopped_ = false;
  return true;
}

TJobChannel::TCreateResult TJobChannel::Create(const std::string& path) {
  Close();
  if (path.empty()) {
    return TCreateResult::Unusable;
  }
  TDirectoryLock lock(DirectoryPart(path));
  if (!lock.Held()) {
    return TCreateResult::Unusable;
  }
  if (BindTo(path)) {
    return TCreateResult::Created;
  }
  if (errno != EADDRINUSE) {
    return TCreateResult::Unusable;
  }
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
    return TCreateResult::Unusable;  // something else took the name: leave it alone
  }
  TFileDescriptor probe(NewSocket());
  if (!probe.Valid()) {
    return TCreateResult::Unusable;
  }
  const int error = ConnectError(probe.Get(), path);
  if (error == 0) {
    return TCreateResult::InUse;
  }
  if (error != ECONNREFUSED) {
    return TCreateResult::Unusable;
  }
  // Nobody reads there any more: the receiver died without removing its name.
  ::unlink(path.c_str());
  return BindTo(path) ? TCreateResult::Created : TCreateResult::Unusable;
}

bool TJobChannel::Open(const std::string& path) {
  Close();
  fd_.Reset(NewSocket());
  if (!fd_.Valid() || ConnectError(fd_.Get(), path) != 0) {
    fd_.Close();
    return false;
  }
  return true;
}

TJobChannel::TSendResult TJobChannel::Send(std::string_view message) {
  if (!IsOpen()) {
    return TSendResult::Failed;
  }
  // One datagram must fit the send buffer whole; the system caps what may be asked for, and a
  // message beyond that cap fails below.
  const size_t wanted = message.size() + 4096;
  int size = 0;
  socklen_t length = sizeof size;
  if (::getsockopt(fd_.Get(), SOL_SOCKET, SO_SNDBUF, &size, &length) == 0 && size >= 0 &&
      static_cast<size_t>(size) < wanted) {
    const int ask = wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted);
    ::setsockopt(fd_.Get(), SOL_SOCKET, SO_SNDBUF, &ask, sizeof ask);
  }
  const timeval slice{0, kSendSlice * 1000};
  ::setsockopt(fd_.Get(), SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);

  const auto deadline = std::chrono::steady_clock::now() + kSendPatience;
  for (;;) {
    const ssize_t sent = ::send(fd_.Get(), message.data(), message.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      // A datagram goes whole or not at all.
      return static_cast<size_t>(sent) == message.size() ? TSendResult::Sent : TSendResult::Failed;
    }
    const int error = errno;
    switch (error) {
      case EINTR:
      case EAGAIN:
      case ENOBUFS:
        if (std::chrono::steady_clock::now() >= deadline) {
          return TSendResult::Failed;
        }
        if (error == ENOBUFS) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        break;
      case EPIPE:
      case ECONNREFUSED:
      case ECONNRESET:
      case ENOTCONN:
        return TSendResult::ReceiverGone;
      default:
        return TSendResult::Failed;
    }
  }
}

std::optional<size_t> TJobChannel::NextMessageSize() const {
  if (!IsOpen()) {
    return std::nullopt;
  }
  std::optional<uid_t> sender;
  bool truncated = false;
  const long length = ReceiveWithSender(fd_.Get(), nullptr, 0, MSG_PEEK, sender, truncated);
  // A datagram always comes with its sender's credentials; a stopped channel whose queue is
  // empty reads as an end without them.
  if (length < 0 || (length == 0 && !sender)) {
    return std::nullopt;
  }
  return static_cast<size_t>(length);
}

long TJobChannel::Receive(char* buffer, size_t capacity) {
  if (!IsOpen()) {
    return -1;
  }
  std::optional<uid_t> sender;
  bool truncated = false;
  const long length = ReceiveWithSender(fd_.Get(), buffer, capacity, 0, sender, truncated);
  if (length < 0 && errno != EAGAIN) {
    // A message that cannot be read must not stay at the head of the queue.
    ::recv(fd_.Get(), nullptr, 0, MSG_DONTWAIT | MSG_TRUNC);
  }
  if (length < 0 || truncated || !sender || *sender != ::geteuid()) {
    return -1;
  }
  return length;
}

bool TJobChannel::WaitForMessage(int milliseconds) const {
  if (!IsOpen()) {
    return false;
  }
  pollfd watch{fd_.Get(), POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&watch, 1, milliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && (watch.revents & POLLIN) != 0;
}

void TJobChannel::StopReceiving() {
  if (!IsReceiver() || stopped_) {
    return;
  }
  {
    TDirectoryLock lock(DirectoryPart(path_));
    struct stat status {};
    // Only our own socket goes: a name taken over since is not ours to remove.
    if (::lstat(path_.c_str(), &status) == 0 && status.st_ino == inode_ &&
        status.st_dev == device_) {
      ::unlink(path_.c_str());
    }
  }
  // From here every send fails at once, so no sender can believe a message delivered that is
  // not already waiting in the queue.
  ::shutdown(fd_.Get(), SHUT_RD);
  stopped_ = true;
}

void TJobChannel::Close() {
  StopReceiving();
  fd_.Close();
  path_.clear();
  stopped_ = false;
  inode_ = 0;
  device_ = 0;
}

}  // namespace quorvane
