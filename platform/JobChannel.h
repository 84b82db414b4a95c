#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace quorvane {

// A local channel of whole messages between processes of one user: one receiver holds the
// channel's name, any number of senders connect to it and send one message each. A message is
// one Unix datagram, so its boundaries and the order of arrival are kept, and the receiver
// never waits for one.
class TJobChannel {
 public:
  enum class TCreateResult {
    Created,   // this process is the receiver now
    InUse,     // a live receiver holds the name
    Unusable,  // the name cannot be used at all
  };
  enum class TSendResult {
    Sent,          // the whole message waits in the receiver's queue
    ReceiverGone,  // the receiver ended or stopped receiving: nothing was delivered
    Failed,        // not delivered (too large, or the receiver took none for too long)
  };

  TJobChannel() = default;
  ~TJobChannel() { Close(); }
  TJobChannel(const TJobChannel&) = delete;
  TJobChannel& operator=(const TJobChannel&) = delete;

  // Where the channel `name` lives: "$XDG_RUNTIME_DIR/quorvane/" + name, or
  // "/tmp/quorvane-<uid>/" + name without a runtime directory. The directory is created private
  // (mode 0700); when it is not a real directory owned by this user with that mode, or the
  // name does not fit a socket address, the result is empty: no channel can be trusted there.
  static std::string PathFor(const std::string& name);

  // Becomes the receiver at `path`. A socket left behind by a receiver that died is taken over.
  TCreateResult Create(const std::string& path);
  // Connects to the receiver at `path` as a sender; false when no receiver answers there.
  bool Open(const std::string& path);
  // Sends `message` whole. While the receiver's queue is full it waits, but not for long.
  TSendResult Send(std::string_view message);

  // The size of the next waiting message (0 for an empty one); none when nothing waits.
  std::optional<size_t> NextMessageSize() const;
  // Takes the next message off the queue into `buffer`. Returns its full length (larger than
  // `capacity` when it did not fit), or -1 when the read failed or the message came from
  // another user, which is dropped.
  long Receive(char* buffer, size_t capacity);
  // Waits up to `milliseconds` for a message; true when one is waiting.
  bool WaitForMessage(int milliseconds) const;

  // Ends the taking of messages: the name goes and every later send fails, while the messages
  // already waiting stay readable. A sender that was told its message was sent can rely on it
  // being among them.
  void StopReceiving();
  // Stops receiving (for a receiver) and closes the channel; waiting messages are lost.
  void Close();

  bool IsOpen() const { return fd_.Valid(); }
  bool IsReceiver() const { return !path_.empty(); }
  bool IsStopped() const { return stopped_; }

 private:
  bool BindTo(const std::string& path);

  TFileDescriptor fd_;
  std::string path_;  // the receiver's name while it holds it
  unsigned long long inode_ = 0;
  unsigned long long device_ = 0;
  bool stopped_ = false;
};

}  // namespace quorvane
