#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/Compaction.h"
#include "engine/CompressionPass.h"
#include "platform/Files.h"
#include "platform/TemporaryFile.h"

namespace quorvane {

// How a page that reads no other file is compressed on the finisher's thread, before it is
// written.
struct TCompressionAside {
  std::shared_ptr<const TPreparedTags> Tags;
  TProtection Protection = TProtection::Elements;
};

// What a page compressed on the finisher's thread became.
struct TCompressedAside {
  TCompressionStats Stats;
  size_t Size = 0;  // of the result
};

// What is left to do for a compressed file once its new text is known, or for a read page
// that is still to be compressed.
struct TFinishedFile {
  std::string Name;
  TReadFile File;                   // the file as it was read
  std::optional<std::string> Text;  // the new content, when it must be written
  std::optional<TFileTime> Stamp;   // the date to give back
  bool MarkDone = false;            // clear the archive attribute once the file is done
  // Where the content goes instead of over the file ("": in place); Text is then always set.
  std::string Target;
  // The new file for an in-place write, when it was made before the file was handed over.
  std::unique_ptr<TTemporaryFile> Replacement;
  // Set when Text is the page as it was read, still to be compressed. It is written only when
  // the compression changed it or goes to a target, and not at all after a cancel request.
  std::optional<TCompressionAside> Compress;

  // The name of the file that is written.
  const std::string& Written() const { return Target.empty() ? Name : Target; }
};

// Writes, dates and marks one file, the very file that was read (or, with a target, writes the
// target and marks the file); the write's error.
TFileError FinishFile(const TFinishedFile& file);

struct TFinishResult {
  std::string Name;
  std::string Written;  // the file that was written: Name, or its target
  TFileError Error = TFileError::None;
  std::optional<TCompressedAside> Compressed;  // for a page compressed by the finisher
  bool Discarded = false;                      // such a page, left as it was after a cancel request
};

// Finishes compressed files on a second thread, in the order they are handed over, so that
// the next files are read and compressed while the file system stores the last ones. A few
// files may be in hand: pages of different sizes then do not keep either thread waiting for
// the other.
class TFileFinisher {
 public:
  TFileFinisher() = default;
  ~TFileFinisher();
  TFileFinisher(const TFileFinisher&) = delete;
  TFileFinisher& operator=(const TFileFinisher&) = delete;

  // Starts finishing `file` after the files in hand.
  void Start(TFinishedFile file);
  // Whether a file is in hand; how many, with how many bytes of new content; whether `name`
  // is one of them.
  bool Pending() const { return !pending_.empty(); }
  size_t PendingCount() const { return pending_.size(); }
  size_t PendingBytes() const { return pendingBytes_; }
  bool PendingIs(const std::string& name) const;
  // Whether the file `id` is one of them.
  bool PendingHas(const TFileId& id) const;
  // Whether the oldest file in hand is done, so that Wait would not wait.
  bool OldestDone() const { return resultReady_.load(std::memory_order_acquire); }
  // Whether every file in hand is done: the thread has nothing to do.
  bool Idle() const { return unfinished_.load(std::memory_order_acquire) == 0; }
  // Waits for the oldest file in hand and gives its result; nothing when no file was in hand.
  std::optional<TFinishResult> Wait();

 private:
  struct TPending {
    std::string Name;
    std::string Written;  // the file written for it
    TFileId Id;
    size_t Bytes;
  };

  void Work();

  // Waits with the lock held until `ready()`: first, on a machine with more than one
  // processor, by looking at `hint` for a short while without the lock, as long as a small
  // file takes the other thread; then asleep. Being put to sleep and woken costs more than
  // writing a small file on a virtual machine.
  template <typename TReady>
  void WaitUntil(std::unique_lock<std::mutex>& guard, const std::atomic<bool>& hint, TReady ready);
  // Wakes the other thread, if it sleeps; with the lock held.
  void Notify();

  std::mutex lock_;
  std::condition_variable changed_;
  int sleepers_ = 0;                      // threads asleep on `changed_`
  std::atomic<bool> workReady_{false};    // what the thread waits for is there: work or stop
  std::atomic<bool> resultReady_{false};  // a result is there
  std::deque<TFinishedFile> work_;        // waiting for the thread
  std::deque<TFinishResult> results_;     // written by the thread, oldest first
  std::atomic<size_t> unfinished_{0};     // files handed over and not done yet
  bool stopping_ = false;
  std::deque<TPending> pending_;  // the files in hand, oldest first; the main thread's own
  size_t pendingBytes_ = 0;
  std::thread thread_;
};

}  // namespace quorvane
