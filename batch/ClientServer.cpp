// The client/server half of TJob and TJobList: jobs as messages between instances, and the
// decision which instance does the work.
#include "batch/ClientServer.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "batch/EventPump.h"
#include "batch/ProgramId.h"
#include "batch/ProgressModel.h"
#include "platform/System.h"

namespace quorvane {

namespace {

// Larger than any datagram the system lets a sender build; a bigger size is no job of ours.
constexpr size_t kMaxMessageSize = size_t{64} << 20;
// How often the decision is made again when the running instance ended right under us.
constexpr int kHandOverAttempts = 8;
constexpr uint32_t kLingerSlice = 100;     // milliseconds between cancel checks while lingering
constexpr uint32_t kIdleReadInterval = 5;  // milliseconds
// In the first byte of a message, above the archive mode (which older instances take from the
// second byte only): the paths are file names.
constexpr uint8_t kLiteralFlag = 0x80;

void AppendInt32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

// Reads the fields of a message; every read checks that the field lies inside the message.
class TMessageReader {
 public:
  explicit TMessageReader(std::string_view data) : data_(data) {}

  bool Byte(uint8_t& value) {
    if (data_.size() - position_ < 1) {
      return false;
    }
    value = static_cast<uint8_t>(data_[position_++]);
    return true;
  }
  bool Int32(int32_t& value) {
    if (data_.size() - position_ < 4) {
      return false;
    }
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
      bits |= static_cast<uint32_t>(static_cast<uint8_t>(data_[position_ + i])) << (8 * i);
    }
    position_ += 4;
    value = static_cast<int32_t>(bits);
    return true;
  }
  bool Bytes(size_t count, std::string_view& value) {
    if (data_.size() - position_ < count) {
      return false;
    }
    value = data_.substr(position_, count);
    position_ += count;
    return true;
  }

 private:
  std::string_view data_;
  size_t position_ = 0;
};

// The receiving instance works in its own current directory, so a relative path is sent as
// the absolute path it means here.
TJob WithAbsolutePaths(const TJob& job) {
  TJob outgoing;
  outgoing.ArchiveMode = job.ArchiveMode;
  outgoing.KeepDate = job.KeepDate;
  outgoing.Recursive = job.Recursive;
  outgoing.Literal = job.Literal;
  for (int i = 0; i < job.Count(); ++i) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(job.Path(i), error);
    outgoing.AddPath(error ? job.Path(i) : absolute.string());
  }
  return outgoing;
}

bool CancelRequested() {
  return TInterruptWatch::Requested() || (ProgressFormExists() && ProgressForm().CancelRequest());
}

// Waits for a job until the time is up; returns as soon as one was queued.
void LingerForJobs(TJobList& list, int32_t lingerMilliseconds) {
  if (lingerMilliseconds <= 0) {
    return;
  }
  const auto wait = static_cast<uint32_t>(lingerMilliseconds);
  const int before = list.Count();
  const uint32_t start = TickCount();
  for (;;) {
    ProcessPendingEvents(true);
    const uint32_t elapsed = TickCount() - start;
    if (list.Count() != before || CancelRequested() || elapsed >= wait) {
      return;
    }
    list.Channel.WaitForMessage(static_cast<int>(std::min(wait - elapsed, kLingerSlice)));
    list.ReadJobChannel();
  }
}

}  // namespace

std::string JobChannelName() {
  return ProgramIdText();
}

std::string TJob::SaveToBuffer() const {
  size_t size = 8;
  for (const std::string& path : paths_) {
    size += 4 + path.size();
  }
  std::string buffer;
  buffer.reserve(size);
  const uint8_t archiveBits = ArchiveMode & static_cast<uint8_t>(~kLiteralFlag);
  buffer.push_back(static_cast<char>(archiveBits | (Literal ? kLiteralFlag : 0)));
  buffer.push_back(static_cast<char>(ArchiveMode));
  buffer.push_back(KeepDate ? 1 : 0);
  buffer.push_back(Recursive ? 1 : 0);
  AppendInt32(buffer, static_cast<uint32_t>(paths_.size()));
  for (const std::string& path : paths_) {
    AppendInt32(buffer, static_cast<uint32_t>(path.size()));
    buffer += path;
  }
  return buffer;
}

bool TJob::LoadFromBuffer(std::string_view buffer) {
  Clear();
  TMessageReader reader(buffer);
  uint8_t first = 0;
  uint8_t keepDate = 0;
  uint8_t recursive = 0;
  int32_t count = 0;
  if (!reader.Byte(first) || !reader.Byte(ArchiveMode) || !reader.Byte(keepDate) ||
      !reader.Byte(recursive) || !reader.Int32(count)) {
    return false;
  }
  Literal = (first & kLiteralFlag) != 0;
  KeepDate = keepDate != 0;
  Recursive = recursive != 0;
  // Whatever the count says, every record takes at least 4 bytes of the message, so the
  // message's size bounds the loop; a negative count can only end in a shortfall.
  for (int64_t remaining = count; remaining != 0; --remaining) {
    int32_t length = 0;
    std::string_view path;
    if (!reader.Int32(length) || length < 0 || !reader.Bytes(static_cast<size_t>(length), path)) {
      return false;
    }
    // No file name holds a NUL byte; one that did would name another file once passed on.
    if (path.find('\0') != std::string_view::npos) {
      return false;
    }
    AddPath(std::string(path));
  }
  return true;
}

TJobChannel::TSendResult TJob::WriteToJobChannel(TJobChannel& channel) {
  const TJobChannel::TSendResult result = channel.Send(SaveToBuffer());
  if (result == TJobChannel::TSendResult::Sent) {
    Sent = true;
  }
  return result;
}

bool TJob::ReadFromJobChannel(size_t size) {
  if (owner_ == nullptr || !owner_->HasJobChannel()) {
    return false;
  }
  if (size > kMaxMessageSize) {
    owner_->Channel.Receive(nullptr, 0);  // dropped unread
    return false;
  }
  std::string buffer(size, '\0');
  const long length = owner_->Channel.Receive(buffer.data(), buffer.size());
  return length >= 0 && static_cast<size_t>(length) == size && LoadFromBuffer(buffer);
}

void TJobList::ReadJobChannel() {
  ProcessPendingEvents();
  for (;;) {
    const std::optional<size_t> size = Channel.NextMessageSize();
    if (!size) {
      return;
    }
    if (*size == 0) {
      // An empty message ends the reading. It is taken off the queue all the same, or it
      // would hold up every message behind it for good.
      Channel.Receive(nullptr, 0);
      return;
    }
    auto job = std::make_unique<TJob>(this);
    if (job->ReadFromJobChannel(*size)) {
      Add(std::move(job));
    }
    ProcessPendingEvents();
  }
}

void HandOverJob(TJob& job) {
  const std::string path = TJobChannel::PathFor(JobChannelName());
  if (path.empty()) {
    return;  // no private place for the channel: stand-alone
  }
  TJob outgoing = WithAbsolutePaths(job);
  for (int attempt = 0; attempt < kHandOverAttempts; ++attempt) {
    switch (JobList().Channel.Create(path)) {
      case TJobChannel::TCreateResult::Created:
        return;  // the server
      case TJobChannel::TCreateResult::Unusable:
        return;  // stand-alone
      case TJobChannel::TCreateResult::InUse:
        break;
    }
    TJobChannel server;
    if (!server.Open(path)) {
      continue;  // the server ended since: decide again
    }
    switch (outgoing.WriteToJobChannel(server)) {
      case TJobChannel::TSendResult::Sent:
        job.Sent = true;  // a client: the process ends
        return;
      case TJobChannel::TSendResult::ReceiverGone:
        continue;  // it stopped taking jobs: nothing was delivered, decide again
      case TJobChannel::TSendResult::Failed:
        return;  // stand-alone
    }
  }
}

bool TJobList::IdleReadDue() {
  const uint32_t now = TickCount();
  if (idleReadDone_ && now - lastIdleRead_ < kIdleReadInterval) {
    return false;
  }
  idleReadDone_ = true;
  lastIdleRead_ = now;
  return true;
}

void CheckJobChannel() {
  ProcessPendingEvents();
  if (JobListExists() && JobList().HasJobChannel() && JobList().IdleReadDue()) {
    JobList().ReadJobChannel();
  }
}

bool TakeLastJobs(TJobList& list, int32_t lingerMilliseconds) {
  if (!list.HasJobChannel()) {
    return false;
  }
  const int before = list.Count();
  if (!list.Channel.IsStopped()) {
    LingerForJobs(list, lingerMilliseconds);
    if (list.Count() != before) {
      return true;
    }
  }
  list.StopJobChannel();
  do {
    list.ReadJobChannel();
  } while (list.Channel.NextMessageSize());
  return list.Count() != before;
}

}  // namespace quorvane
