#include "batch/FileFinisher.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <algorithm>
#include <chrono>

#include "engine/Texts.h"
#include "platform/InterruptWatch.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace quorvane {

namespace {

// The result goes below the output folder; the source is only marked.
TFileError FinishToTarget(const TFinishedFile& file) {
  const TFileError error =
      WriteFileAnew(file.Target, *file.Text, file.File.Status.st_mode & 0777, {.Time = file.Stamp});
  if (error == TFileError::None && file.MarkDone && file.File.File.Valid()) {
    ClearArchiveAttribute(file.File.File.Get());
  }
  return error;
}

// How long a waiting thread looks for the other's answer before it sleeps: a few small files'
// time. Only where another processor runs the other thread meanwhile.
std::chrono::microseconds SpinTime() {
  static const std::chrono::microseconds time = [] {
    cpu_set_t set;
    const bool several = sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 1;
    return std::chrono::microseconds(several ? 300 : 0);
  }();
  return time;
}

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

// The engine's services for a page compressed on the finisher's thread: a cancel request is a
// signal's, nothing is shown, and no file is included (the page holds no directive).
class TAsideProgress : public TNullProgress {
 public:
  bool SetSubProgress(int8_t) override { return TInterruptWatch::Requested(); }
  bool CancelRequested() override { return TInterruptWatch::Requested(); }
};

class TNoIncludes : public IIncludeFiles {
 public:
  TResult Load(const std::string&, size_t, std::string&) override { return TResult::Missing; }
};

// Compresses the page of `file` in place; nothing, with the page left as it was read, when a
// cancel request came before the page could be written.
std::optional<TCompressedAside> CompressAside(TFinishedFile& file) {
  TAsideProgress progress;
  TBuiltinTexts texts;
  TNoIncludes includes;
  TEngineServices services{progress, texts, includes};
  std::string& text = *file.Text;
  const TCompressionAside& how = *file.Compress;
  TCompressedAside result;
  if (CompressText(text, file.Name, *how.Tags, how.Protection, result.Stats, services) !=
          TStopReason::None ||
      TInterruptWatch::Requested()) {
    return std::nullopt;
  }
  result.Size = text.size();
  if (!result.Stats.Modified && file.Target.empty()) {
    file.Text.reset();  // unchanged, so untouched
  }
  return result;
}

}  // namespace

TFileError FinishFile(const TFinishedFile& file) {
  if (!file.Target.empty()) {
    return FinishToTarget(file);
  }
  if (file.Text) {
    return WriteReadFile(
        file.File, *file.Text,
        {.Time = file.Stamp, .MarkArchived = file.MarkDone, .Replacement = file.Replacement.get()});
  }
  // Unchanged, so untouched: its date is still its own.
  if (file.MarkDone && file.File.File.Valid()) {
    ClearArchiveAttribute(file.File.File.Get());
  }
  return TFileError::None;
}

TFileFinisher::~TFileFinisher() {
  while (Wait()) {
  }
  if (thread_.joinable()) {
    {
      const std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
      workReady_.store(true, std::memory_order_release);
      Notify();
    }
    thread_.join();
  }
}

void TFileFinisher::Start(TFinishedFile file) {
  const size_t bytes = file.Text ? file.Text->size() : 0;
  pending_.push_back(TPending{file.Name, file.Written(),
                              TFileId{file.File.Status.st_dev, file.File.Status.st_ino}, bytes});
  pendingBytes_ += bytes;
  unfinished_.fetch_add(1, std::memory_order_relaxed);
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
  const std::lock_guard<std::mutex> guard(lock_);
  work_.push_back(std::move(file));
  workReady_.store(true, std::memory_order_release);
  Notify();
}

bool TFileFinisher::PendingIs(const std::string& name) const {
  if (pending_.empty()) {
    return false;
  }
  for (const TPending& file : pending_) {
    if (file.Name == name) {
      return true;
    }
  }
  // Another name of the same file (a link): it must not be read while it is being written.
  const std::optional<TFileId> id = FileIdentity(name);
  return !id || PendingHas(*id);
}

bool TFileFinisher::PendingHas(const TFileId& id) const {
  return std::any_of(pending_.begin(), pending_.end(),
                     [&id](const TPending& file) { return file.Id == id; });
}

std::optional<TFinishResult> TFileFinisher::Wait() {
  if (pending_.empty()) {
    return std::nullopt;
  }
  TFinishResult result;
  {
    std::unique_lock<std::mutex> guard(lock_);
    WaitUntil(guard, resultReady_, [this] { return !results_.empty(); });
    result = std::move(results_.front());
    results_.pop_front();
    resultReady_.store(!results_.empty(), std::memory_order_release);
  }
  TPending& oldest = pending_.front();
  result.Name = std::move(oldest.Name);
  result.Written = std::move(oldest.Written);
  pendingBytes_ -= oldest.Bytes;
  pending_.pop_front();
  return result;
}

template <typename TReady>
void TFileFinisher::WaitUntil(std::unique_lock<std::mutex>& guard, const std::atomic<bool>& hint,
                              TReady ready) {
  if (ready()) {
    return;
  }
  if (const auto spin = SpinTime(); spin.count() > 0) {
    guard.unlock();
    const auto until = std::chrono::steady_clock::now() + spin;
    while (!hint.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until) {
      Pause();
    }
    guard.lock();
  }
  ++sleepers_;
  changed_.wait(guard, ready);
  --sleepers_;
}

void TFileFinisher::Notify() {
  if (sleepers_ > 0) {
    changed_.notify_all();
  }
}

void TFileFinisher::Work() {
  for (;;) {
    std::optional<TFinishedFile> file;
    {
      std::unique_lock<std::mutex> guard(lock_);
      WaitUntil(guard, workReady_, [this] { return stopping_ || !work_.empty(); });
      if (work_.empty()) {
        return;
      }
      file.emplace(std::move(work_.front()));
      work_.pop_front();
      workReady_.store(stopping_ || !work_.empty(), std::memory_order_relaxed);
    }
    TFinishResult result;
    if (file->Compress) {
      result.Compressed = CompressAside(*file);
      result.Discarded = !result.Compressed;
    }
    if (!result.Discarded) {
      result.Error = FinishFile(*file);
    }
    {
      const std::lock_guard<std::mutex> guard(lock_);
      results_.push_back(std::move(result));
      resultReady_.store(true, std::memory_order_release);
      unfinished_.fetch_sub(1, std::memory_order_release);
      Notify();
    }
    // The file is let go only now, while the main thread reads and compresses the next one:
    // closing a file that was replaced frees its old content, which takes the file system a
    // while.
  }
}

}  // namespace quorvane
