#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/JobChannel.h"

namespace quorvane {

class TJobList;

// One command line's worth of work: paths (file names or masks) and how to treat them.
class TJob {
 public:
  explicit TJob(TJobList* owner = nullptr) : owner_(owner) {}

  uint8_t ArchiveMode = 0;  // 0 all files; 1 changed files; 2 changed files, then marked done
  bool KeepDate = false;
  bool Recursive = false;
  bool ClientServer = false;
  bool Literal = false;  // the paths are file names, never masks
  bool Sent = false;     // handed to another instance
  // What only this process's own job has; another instance's job is never given these.
  bool FromCommandLine = false;  // "-" stands for standard input and output
  bool Quiet = false;            // no statistics lines and no summary
  std::string OutputDirectory;   // the results go below it instead of over the files

  // The path that names standard input (and output) rather than a file.
  static constexpr std::string_view kStandardStreams = "-";
  bool UsesStandardStreams() const;
  // Whether another instance can do this job: a message carries neither an output directory
  // nor this process's standard input.
  bool CanTravel() const;

  void Clear();
  // Ignores an empty path and one already present (compared as file names).
  void AddPath(const std::string& path);
  int Count() const { return static_cast<int>(paths_.size()); }
  const std::string& Path(int index) const { return paths_[index]; }
  TJobList* Owner() const { return owner_; }
  void SetOwner(TJobList* owner) { owner_ = owner; }

  // The job as one message to another instance: ArchiveMode twice, KeepDate, Recursive (a byte
  // each), the number of paths and then each path's length and bytes (32-bit little-endian).
  // Literal travels as the top bit of the first byte: instances that do not know it read the
  // archive mode from the second byte, which overwrites the first.
  std::string SaveToBuffer() const;
  // Clears the job and rebuilds it from a message; true only when the whole message was read.
  // Any bytes give a valid job or false.
  bool LoadFromBuffer(std::string_view buffer);
  // Sends the job as one message; sets Sent when it was delivered whole.
  TJobChannel::TSendResult WriteToJobChannel(TJobChannel& channel);
  // Reads the owner's next message of `size` bytes into the job; false when there was none of
  // that size or it was no valid job.
  bool ReadFromJobChannel(size_t size);

 private:
  std::vector<std::string> paths_;
  std::unordered_set<std::string> known_;  // the paths again, for the duplicate test
  TJobList* owner_;
};

// The queue of jobs of this instance; other instances may append to it while it works.
class TJobList {
 public:
  TJobList() = default;
  ~TJobList();
  TJobList(const TJobList&) = delete;
  TJobList& operator=(const TJobList&) = delete;

  void Add(std::unique_ptr<TJob> job);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(jobs_.size()); }
  TJob& Items(int index) { return *jobs_[index]; }
  // Called after every change of the queue or of a queued job's paths.
  void Changed();

  int Current = 0;  // the job being processed

  // The channel this instance reads other instances' jobs from (client/server mode).
  TJobChannel Channel;
  bool HasJobChannel() const { return Channel.IsOpen(); }
  // Takes every waiting message as a new job at the end of the queue. An empty message ends
  // the reading.
  void ReadJobChannel();
  // For the idle hook, which the engine calls in tight loops: true when the channel was not
  // looked at for a few milliseconds.
  bool IdleReadDue();
  // Takes no more jobs: messages already sent are still read, later sends fail.
  void StopJobChannel() { Channel.StopReceiving(); }
  void CloseJobChannel() { Channel.Close(); }

 private:
  std::vector<std::unique_ptr<TJob>> jobs_;
  bool destroying_ = false;
  uint32_t lastIdleRead_ = 0;
  bool idleReadDone_ = false;
};

// The job list of this process, created on first use.
TJobList& JobList();
bool JobListExists();

// "<text 590B2534>: Job n/m", the progress caption during batch work.
std::string JobCaption();

}  // namespace quorvane
