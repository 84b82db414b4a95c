#include "batch/IncludeFileReader.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/FileContent.h"
#include "platform/FileDescriptor.h"

namespace quorvane {

namespace {

using TResult = IIncludeFiles::TResult;

TIncludeFileReader::TUserView UserViewOf(uid_t uid) {
  TIncludeFileReader::TUserView view{uid, {}};
  std::vector<char> buffer(1 << 14);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return view;  // a user without an entry has no groups: only the owner and other bits count
  }
  std::vector<gid_t> groups(32);
  int count = static_cast<int>(groups.size());
  while (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<size_t>(count));
  }
  groups.resize(static_cast<size_t>(count));
  view.Groups = std::move(groups);
  return view;
}

// Whether `user` has the permission `bits` (as for others: S_IROTH, S_IXOTH) on a file of
// this owner, group and mode. The first class that applies decides, as the kernel does.
bool Permits(const TIncludeFileReader::TUserView& user, const struct stat& st, mode_t bits) {
  if (st.st_uid == user.Uid) {
    return ((st.st_mode >> 6) & bits) == bits;
  }
  if (std::find(user.Groups.begin(), user.Groups.end(), st.st_gid) != user.Groups.end()) {
    return ((st.st_mode >> 3) & bits) == bits;
  }
  return (st.st_mode & bits) == bits;
}

// Whether `user` may search every directory on the way to `realPath` (absolute, no links).
bool MayReach(const TIncludeFileReader::TUserView& user, const std::string& realPath) {
  for (size_t slash = realPath.find('/'); slash != std::string::npos;
       slash = realPath.find('/', slash + 1)) {
    const std::string directory = slash == 0 ? "/" : realPath.substr(0, slash);
    struct stat st;
    if (::stat(directory.c_str(), &st) != 0 || !Permits(user, st, S_IXOTH)) {
      return false;
    }
  }
  return true;
}

TResult ResultOfRead(const TReadResult& read, size_t maxSize, std::string& content) {
  switch (read.Error) {
    case TFileError::None:
      if (content.size() > maxSize) {  // it grew since it was measured
        content.clear();
        return TResult::TooLarge;
      }
      return TResult::Loaded;
    case TFileError::NotFound:
      return TResult::Missing;
    case TFileError::TooLarge:
      return TResult::TooLarge;
    default:
      return TResult::Unreadable;
  }
}

}  // namespace

TIncludeFileReader::TIncludeFileReader(const std::string& documentPath)
    : documentPath_(documentPath) {}

void TIncludeFileReader::FindOwner() {
  ownerKnown_ = true;
  if (::geteuid() != 0 || documentPath_.empty()) {
    return;
  }
  // Whoever put the document there decides: a link's owner before its target's.
  struct stat st;
  uid_t owner = 0;
  if (::lstat(documentPath_.c_str(), &st) == 0) {
    owner = st.st_uid;
  }
  if (owner == 0 && ::stat(documentPath_.c_str(), &st) == 0) {
    owner = st.st_uid;
  }
  if (owner != 0) {
    owner_ = UserViewOf(owner);
  }
}

IIncludeFiles::TResult TIncludeFileReader::Load(const std::string& path, size_t maxSize,
                                                std::string& content) {
  content.clear();
  if (!ownerKnown_) {
    FindOwner();
  }
  struct stat st;
  if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 ||
      S_ISDIR(st.st_mode)) {
    return TResult::Missing;
  }
  if (!S_ISREG(st.st_mode)) {
    return TResult::Unreadable;
  }
  if (owner_) {
    return LoadAsOwner(path, maxSize, content);
  }
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    return TResult::TooLarge;
  }
  return ResultOfRead(ReadWholeFile(path, content), maxSize, content);
}

// The file is opened first and judged by what was opened, so that a name changed in between
// cannot lead the read elsewhere.
IIncludeFiles::TResult TIncludeFileReader::LoadAsOwner(const std::string& path, size_t maxSize,
                                                       std::string& content) const {
  const TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened;
  if (!file.Valid() || ::fstat(file.Get(), &opened) != 0) {
    return TResult::Missing;
  }
  if (!S_ISREG(opened.st_mode)) {
    return TResult::Unreadable;
  }
  const std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
  struct stat named;
  if (real == nullptr || ::stat(real.get(), &named) != 0 || named.st_dev != opened.st_dev ||
      named.st_ino != opened.st_ino || !Permits(*owner_, opened, S_IROTH) ||
      !MayReach(*owner_, real.get())) {
    return TResult::Missing;
  }
  if (static_cast<uint64_t>(opened.st_size) > maxSize) {
    return TResult::TooLarge;
  }
  // Reading through the descriptor's own name reads the very file that was judged.
  return ResultOfRead(ReadWholeFile("/proc/self/fd/" + std::to_string(file.Get()), content),
                      maxSize, content);
}

}  // namespace quorvane
