#include "platform/PreviewFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QRandomGenerator>
#include <cerrno>

#include "platform/FileIo.h"

namespace quorvane {
namespace {

std::string RandomPreviewName() {
  std::string name = "~";
  for (int i = 0; i < 7; ++i) {
    name += static_cast<char>('A' + QRandomGenerator::global()->bounded(26));
  }
  return name + ".htm";
}

}  // namespace

int TPreviewFile::Create(const std::string& directory, mode_t mode) {
  Forget();
  location_.DirectoryPath = directory;
  location_.Directory.Reset(SystemCalls().OpenAt(AT_FDCWD,
                                                 directory.empty() ? "." : directory.c_str(),
                                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!location_.Directory.Valid()) {
    return errno;
  }
  for (int attempt = 0; attempt < 1001; ++attempt) {
    const std::string name = RandomPreviewName();
    file_.Reset(SystemCalls().OpenAt(location_.Directory.Get(), name.c_str(),
                                     O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                     S_IRUSR | S_IWUSR));
    if (file_.Valid()) {
      location_.Name = name;
      path_ = location_.Path();
      // Exactly the document's bits, whatever the umask: no wider, and no narrower.
      SystemCalls().Fchmod(file_.Get(), mode & 0777);
      return 0;
    }
    if (errno != EEXIST) {
      const int error = errno;
      Forget();
      return error;
    }
  }
  Forget();
  return EEXIST;
}

bool TPreviewFile::NameIsOurs() const {
  struct stat ours;
  struct stat named;
  return file_.Valid() && SystemCalls().Fstat(file_.Get(), &ours) == 0 &&
         SystemCalls().FstatAt(location_.Directory.Get(), location_.Name.c_str(), &named,
                               AT_SYMLINK_NOFOLLOW) == 0 &&
         ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
}

TFileError TPreviewFile::Write(std::string_view data) {
  if (!file_.Valid()) {
    return TFileError::NotFound;
  }
  return OverwriteContent(file_.Get(), data) ? TFileError::None : TFileError::Other;
}

void TPreviewFile::Remove() {
  if (NameIsOurs()) {
    SystemCalls().UnlinkAt(location_.Directory.Get(), location_.Name.c_str(), 0);
  }
  Forget();
}

void TPreviewFile::Forget() {
  file_.Close();
  location_ = TFileLocation();
  path_.clear();
}

}  // namespace quorvane
