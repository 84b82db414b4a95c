#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>
#include <set>
#include <thread>

#include "TestSupport.h"
#include "platform/JobChannel.h"

namespace quorvane {
namespace {

using test::TScopedEnvironment;
using test::TTempDir;
using TCreate = TJobChannel::TCreateResult;
using TSend = TJobChannel::TSendResult;

std::string Take(TJobChannel& channel) {
  const std::optional<size_t> size = channel.NextMessageSize();
  if (!size) {
    return "<none>";
  }
  std::string buffer(*size, '\0');
  const long length = channel.Receive(buffer.data(), buffer.size());
  return length == static_cast<long>(*size) ? buffer : "<failed>";
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

// Sends one byte with a descriptor attached, which the channel itself never does.
void SendDescriptor(const std::string& path, int passed) {
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  const sockaddr_un address = AddressOf(path);
  ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  char byte = 'x';
  iovec part{&byte, 1};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(header), &passed, sizeof passed);
  ASSERT_EQ(::sendmsg(fd, &message, 0), 1);
  ::close(fd);
}

size_t OpenDescriptors() {
  return test::EntryNames("/proc/self/fd").size();
}

class JobChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    environment.Set("XDG_RUNTIME_DIR", dir.PathWithoutSlash());
    path = TJobChannel::PathFor("{channel}");
    ASSERT_EQ(path, dir / "quorvane/{channel}");
  }
  TTempDir dir;
  TScopedEnvironment environment;
  std::string path;
};

TEST_F(JobChannel, LivesOnlyInAPrivateDirectoryOfTheUser) {
  struct stat status {};
  ASSERT_EQ(::lstat((dir / "quorvane").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  EXPECT_EQ(TJobChannel::PathFor(std::string(120, 'x')), "") << "too long for an address";

  ::chmod((dir / "quorvane").c_str(), 0755);
  EXPECT_EQ(TJobChannel::PathFor("{channel}"), "") << "others may enter";
  ::chmod((dir / "quorvane").c_str(), 0700);

  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((dir / "quorvane").c_str(), 65534, 65534), 0);
    EXPECT_EQ(TJobChannel::PathFor("{channel}"), "") << "another user's directory";
  }
  std::filesystem::remove_all(dir / "quorvane");
  std::filesystem::create_directory(dir / "elsewhere");
  ::chmod((dir / "elsewhere").c_str(), 0700);
  std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "quorvane");
  EXPECT_EQ(TJobChannel::PathFor("{channel}"), "") << "a symbolic link";

  // No runtime directory (or a relative one, which is no runtime directory): /tmp.
  const std::string fallback = "/tmp/quorvane-" + std::to_string(::geteuid());
  const bool existed = std::filesystem::exists(fallback);
  environment.Set("XDG_RUNTIME_DIR", "relative/run");
  const std::string inTmp = TJobChannel::PathFor("{channel}");
  environment.Set("XDG_RUNTIME_DIR", std::nullopt);
  EXPECT_EQ(TJobChannel::PathFor("{channel}"), inTmp);
  if (!existed) {
    std::filesystem::remove(fallback);
  }
  EXPECT_TRUE(inTmp.empty() || inTmp == fallback + "/{channel}") << inTmp;
}

TEST_F(JobChannel, OneReceiverPerNameAndDeadOnesAreReplaced) {
  TJobChannel first;
  TJobChannel second;
  ASSERT_EQ(first.Create(path), TCreate::Created);
  EXPECT_EQ(second.Create(path), TCreate::InUse);
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_FALSE(std::filesystem::exists(path)) << "the name goes with its receiver";

  // A receiver killed outright leaves its socket file behind.
  EXPECT_EQ(test::RunInChild([this] {
              TJobChannel killed;
              killed.Create(path);
              ::_exit(0);
            }),
            0);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(second.Create(path), TCreate::Created);
  TJobChannel sender;
  ASSERT_TRUE(sender.Open(path));
  EXPECT_EQ(sender.Send("hello"), TSend::Sent);
  EXPECT_EQ(Take(second), "hello");
  second.Close();
  EXPECT_FALSE(sender.Open(path)) << "nobody listens";

  test::WriteBytes(path, "not a socket");
  EXPECT_EQ(second.Create(path), TCreate::Unusable);
  EXPECT_EQ(test::ReadBytes(path), "not a socket") << "a file that is no socket is kept";
}

// Order, empty messages and the last read after a stop are the job list's own test.
TEST_F(JobChannel, MessagesArriveWholeAndAStoppedReceiverLeavesItsNameToTheNext) {
  TJobChannel receiver;
  ASSERT_EQ(receiver.Create(path), TCreate::Created);
  EXPECT_FALSE(receiver.NextMessageSize());
  TJobChannel sender;
  ASSERT_TRUE(sender.Open(path));
  const std::string large(100000, 'L');
  EXPECT_EQ(sender.Send(large), TSend::Sent);
  EXPECT_EQ(sender.Send(large), TSend::Sent);
  EXPECT_EQ(Take(receiver), large);
  char small[10];
  EXPECT_EQ(receiver.Receive(small, sizeof small), static_cast<long>(large.size()))
      << "a message that does not fit reports its full length";
  EXPECT_FALSE(receiver.WaitForMessage(10)) << "and is gone";

  // A new receiver may take the name at once; the old one's end leaves it alone.
  receiver.StopReceiving();
  EXPECT_EQ(sender.Send("after"), TSend::ReceiverGone);
  TJobChannel next;
  ASSERT_EQ(next.Create(path), TCreate::Created);
  receiver.Close();
  ASSERT_TRUE(sender.Open(path));
  EXPECT_EQ(sender.Send("next"), TSend::Sent);
  EXPECT_EQ(Take(next), "next");
}

TEST_F(JobChannel, SendersWaitWhileTheQueueIsFull) {
  TJobChannel receiver;
  ASSERT_EQ(receiver.Create(path), TCreate::Created);
  constexpr int kSenders = 40;
  std::vector<std::thread> senders;
  std::vector<TSend> results(kSenders, TSend::Failed);
  for (int i = 0; i < kSenders; ++i) {
    senders.emplace_back([&, i] {
      TJobChannel sender;
      if (sender.Open(path)) {
        results[i] = sender.Send("job " + std::to_string(i));
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the queue fills up
  std::set<std::string> received;
  while (received.size() < kSenders && receiver.WaitForMessage(2000)) {
    received.insert(Take(receiver));
  }
  for (std::thread& sender : senders) {
    sender.join();
  }
  EXPECT_EQ(received.size(), size_t{kSenders});
  EXPECT_EQ(std::count(results.begin(), results.end(), TSend::Sent), kSenders);
}

TEST_F(JobChannel, OnlyTheOwnUsersMessagesAreTaken) {
  TJobChannel receiver;
  ASSERT_EQ(receiver.Create(path), TCreate::Created);
  TJobChannel sender;
  ASSERT_TRUE(sender.Open(path));

  // Descriptors passed along are never kept.
  const size_t before = OpenDescriptors();
  const int passed = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  SendDescriptor(path, passed);
  ::close(passed);
  EXPECT_EQ(Take(receiver), "x");
  EXPECT_EQ(OpenDescriptors(), before);

  if (::geteuid() != 0) {
    GTEST_SKIP() << "sending as another user needs root";
  }
  const int code = test::RunUnprivileged([&] { EXPECT_EQ(sender.Send("foreign"), TSend::Sent); });
  ASSERT_NE(code, test::kCannotDropPrivileges);
  ASSERT_EQ(code, 0);
  EXPECT_EQ(sender.Send("own"), TSend::Sent);
  EXPECT_EQ(receiver.NextMessageSize(), size_t{7});
  char buffer[16];
  EXPECT_EQ(receiver.Receive(buffer, sizeof buffer), -1) << "another user's message is dropped";
  EXPECT_EQ(Take(receiver), "own");
}

}  // namespace
}  // namespace quorvane
