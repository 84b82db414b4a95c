#include "batch/FileFinisher.h"

#include <pthread.h>
#include <signal.h>

namespace quorvane {

bool FinishFile(const TFinishedFile& file) {
  const bool inPlace = file.Target.empty();
  const bool failed = file.Text && (inPlace ? WriteFileReplacing(file.Name, *file.Text)
                                            : WriteOutputFile(file.Target, *file.Text,
                                                              file.Name)) != TFileError::None;
  if (file.Stamp) {
    SetFileTime(inPlace ? file.Name : file.Target, *file.Stamp);
  }
  if (file.MarkDone && !failed) {
    ClearArchiveAttribute(file.Name);
  }
  return !failed;
}

TFileFinisher::~TFileFinisher() {
  Wait();
  if (thread_.joinable()) {
    {
      const std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
}

void TFileFinisher::Start(TFinishedFile file) {
  pendingId_ = FileIdentity(file.Name);
  pending_ = file.Name;
  if (!thread_.joinable()) {
    // Interrupts stay with the main thread, which decides what a Ctrl+C means.
    sigset_t set;
    sigset_t previous;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, &previous);
    thread_ = std::thread(&TFileFinisher::Work, this);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  {
    const std::lock_guard<std::mutex> guard(lock_);
    work_ = std::move(file);
    result_.reset();
  }
  changed_.notify_all();
}

bool TFileFinisher::PendingIs(const std::string& name) const {
  if (!pending_) {
    return false;
  }
  if (*pending_ == name) {
    return true;
  }
  // Another name of the same file (a link): it must not be read while it is being written.
  const std::optional<TFileId> id = FileIdentity(name);
  return !id || !pendingId_ || *id == *pendingId_;
}

std::optional<std::string> TFileFinisher::Wait() {
  if (!pending_) {
    return std::nullopt;
  }
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return result_.has_value(); });
  const bool failed = *result_;
  result_.reset();
  guard.unlock();
  std::optional<std::string> name;
  if (failed) {
    name = std::move(pending_);
  }
  pending_.reset();
  pendingId_.reset();
  return name;
}

void TFileFinisher::Work() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return stopping_ || work_.has_value(); });
    if (!work_) {
      return;
    }
    TFinishedFile file = std::move(*work_);
    work_.reset();
    guard.unlock();
    const bool failed = !FinishFile(file);
    guard.lock();
    result_ = failed;
    changed_.notify_all();
  }
}

}  // namespace quorvane
