// Jobs as messages between instances, and the reading of the server's channel.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "batch/ClientServer.h"
#include "batch/Document.h"
#include "batch/Job.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using TSend = TJobChannel::TSendResult;

std::string Int32(int32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF));
  }
  return bytes;
}

std::string Record(const std::string& path) {
  return Int32(static_cast<int32_t>(path.size())) + path;
}

std::vector<std::string> Paths(const TJob& job) {
  std::vector<std::string> paths;
  for (int i = 0; i < job.Count(); ++i) {
    paths.push_back(job.Path(i));
  }
  return paths;
}

TEST(JobMessage, LayoutIsSwitchesCountAndLengthPrefixedPaths) {
  TJob job;
  job.ArchiveMode = 2;
  job.KeepDate = true;
  job.ClientServer = true;  // not carried
  job.Sent = true;          // not carried
  job.AddPath("/web/a.htm");
  job.AddPath("\xE4.htm");
  const std::string expected =
      "\x02\x02\x01\x00"s + Int32(2) + Record("/web/a.htm") + Record("\xE4.htm");
  EXPECT_EQ(job.SaveToBuffer(), expected);
  EXPECT_EQ(TJob().SaveToBuffer(), "\0\0\0\0\0\0\0\0"s);

  TJob copy;
  copy.AddPath("stale");
  ASSERT_TRUE(copy.LoadFromBuffer(expected + "trailing bytes are ignored"));
  EXPECT_EQ(copy.ArchiveMode, 2);
  EXPECT_TRUE(copy.KeepDate);
  EXPECT_FALSE(copy.Recursive);
  EXPECT_FALSE(copy.ClientServer);
  EXPECT_FALSE(copy.Literal);
  EXPECT_EQ(Paths(copy), Paths(job));

  // Literal names travel in the top bit of the first byte; an instance that does not know it
  // takes the archive mode from the second byte and never sees the bit.
  job.Literal = true;
  EXPECT_EQ(job.SaveToBuffer(), "\x82\x02\x01\x00"s + expected.substr(4));
  ASSERT_TRUE(copy.LoadFromBuffer(job.SaveToBuffer()));
  EXPECT_TRUE(copy.Literal);
  EXPECT_EQ(copy.ArchiveMode, 2);
}

TEST(JobMessage, ShortOrInconsistentMessagesAreNoJob) {
  const std::string header = "\x01\x01\x00\x01"s;
  TJob job;
  const std::string empty = header + Int32(0);
  for (size_t size = 0; size < 8; ++size) {
    EXPECT_FALSE(job.LoadFromBuffer(empty.substr(0, size))) << size << " bytes";
  }
  ASSERT_TRUE(job.LoadFromBuffer(empty)) << "8 bytes with no path: an empty job";
  EXPECT_EQ(job.Count(), 0);
  EXPECT_TRUE(job.Recursive);

  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(2) + Record("a.htm"))) << "a record missing";
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(1) + Int32(6) + "a.htm")) << "past the end";
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(1) + Int32(-1) + "a.htm"));
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(1) + Int32(INT32_MIN)));
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(-1) + Record("a.htm")));
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(INT32_MAX) + Record("a.htm")));
  EXPECT_FALSE(job.LoadFromBuffer(header + Int32(1) + Record("a.htm\0b"s))) << "a NUL byte";

  // Empty paths and duplicates are dropped within one job.
  ASSERT_TRUE(
      job.LoadFromBuffer(header + Int32(4) + Record("a") + Record("") + Record("b") + Record("a")));
  EXPECT_EQ(Paths(job), (std::vector<std::string>{"a", "b"}));
}

TEST(JobMessage, HugeCountsCostOnlyWhatTheMessageHolds) {
  // Half a million records: a quadratic duplicate test or a count-driven allocation would
  // show here as a hang or a crash.
  std::string message = "\0\0\0\0"s + Int32(-7);
  for (int i = 0; i < 500000; ++i) {
    message += Record(std::to_string(i));
  }
  TJob job;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(job.LoadFromBuffer(message)) << "a negative count ends in a shortfall";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  const std::string withCount = "\0\0\0\0"s + Int32(500000) + message.substr(8);
  ASSERT_TRUE(job.LoadFromBuffer(withCount));
  EXPECT_EQ(job.Count(), 500000);
  EXPECT_EQ(job.SaveToBuffer(), withCount);
}

// Random damage to valid messages and plain random bytes: every outcome is either a valid
// job, which survives a round trip unchanged, or false.
TEST(JobMessage, AnyBytesGiveAValidJobOrNone) {
  const std::vector<std::string> seeds = {
      ""s,
      "\0\0\0\0\0\0\0\0"s,
      "\x02\x02\x01\x01"s + Int32(1) + Record("/web/index.htm"),
      "\x01\x01\x00\x00"s + Int32(3) + Record("a") + Record("") + Record("a"),
      "\x00\x00\x01\x00"s + Int32(2) + Record("*.htm") + Record("/x/\xFF\x80.html"),
      "\x81\x01\x00\x00"s + Int32(1) + Record("star*.htm"),
  };
  std::mt19937 random(20261207);
  auto below = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
  int valid = 0;
  for (int round = 0; round < 30000; ++round) {
    std::string message = seeds[below(seeds.size())];
    switch (below(5)) {
      case 0:  // flip bytes
        for (int i = 0, n = 1 + static_cast<int>(below(4)); i < n && !message.empty(); ++i) {
          message[below(message.size())] = static_cast<char>(random());
        }
        break;
      case 1:  // cut short
        message.resize(below(message.size() + 1));
        break;
      case 2:  // a wild 32-bit field somewhere
        if (message.size() >= 4) {
          message.replace(below(message.size() - 3), 4, Int32(static_cast<int32_t>(random())));
        }
        break;
      case 3:  // random bytes appended or inserted
        message.insert(below(message.size() + 1), std::string(below(16), '\0'));
        for (size_t i = 0; i < message.size(); i += 1 + below(8)) {
          message[i] ^= static_cast<char>(random() & 0x0F);
        }
        break;
      default:  // pure noise
        message.resize(below(64));
        for (char& c : message) {
          c = static_cast<char>(random());
        }
    }
    TJob job;
    if (!job.LoadFromBuffer(message)) {
      continue;
    }
    ++valid;
    std::vector<std::string> paths = Paths(job);
    for (const std::string& path : paths) {
      ASSERT_FALSE(path.empty());
      ASSERT_EQ(path.find('\0'), std::string::npos);
    }
    TJob again;
    ASSERT_TRUE(again.LoadFromBuffer(job.SaveToBuffer()));
    ASSERT_EQ(Paths(again), paths);
    ASSERT_EQ(again.ArchiveMode, job.ArchiveMode);
    ASSERT_EQ(again.KeepDate, job.KeepDate);
    ASSERT_EQ(again.Recursive, job.Recursive);
    ASSERT_EQ(again.Literal, job.Literal);
  }
  EXPECT_GT(valid, 100) << "the damage should leave some messages valid";
}

// A job list that reads a real channel in a temporary runtime directory.
class ServerChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qjm-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    runtime = pattern;
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    path = TJobChannel::PathFor(JobChannelName());
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(list.Channel.Create(path), TJobChannel::TCreateResult::Created);
    ASSERT_TRUE(sender.Open(path));
  }
  void TearDown() override {
    list.CloseJobChannel();
    ::unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(runtime);
  }
  std::string JobMessage(const std::string& path) {
    TJob job;
    job.AddPath(path);
    return job.SaveToBuffer();
  }

  std::string runtime;
  std::string path;
  TJobList list;
  TJobChannel sender;
};

TEST_F(ServerChannel, WaitingMessagesBecomeJobsAndAnEmptyOneEndsTheReading) {
  EXPECT_EQ(path, runtime + "/quorvane/{00000701-75E7-11D7-0266-00A024502A20}");
  for (const std::string& message :
       {JobMessage("/x/a.htm"), "\x01\x01\x00\x00\x05"s, JobMessage("/x/a.htm"),
        "\0\0\0\0\0\0\0\0"s, ""s, JobMessage("/x/c.htm")}) {
    ASSERT_EQ(sender.Send(message), TSend::Sent);
  }
  list.ReadJobChannel();
  // The 5-byte message is dropped; the same path in a later job is that job's own.
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(Paths(list.Items(0)), std::vector<std::string>{"/x/a.htm"});
  EXPECT_EQ(Paths(list.Items(1)), std::vector<std::string>{"/x/a.htm"});
  EXPECT_EQ(list.Items(2).Count(), 0);
  EXPECT_EQ(list.Items(2).Owner(), &list);
  list.ReadJobChannel();  // the empty message did not stay in the way
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(Paths(list.Items(3)), std::vector<std::string>{"/x/c.htm"});
}

TEST_F(ServerChannel, TheLastReadTakesEverySentJobAndThenNoMore) {
  ASSERT_EQ(sender.Send(JobMessage("/x/a.htm")), TSend::Sent);
  ASSERT_EQ(sender.Send(""), TSend::Sent);
  ASSERT_EQ(sender.Send(JobMessage("/x/b.htm")), TSend::Sent);
  EXPECT_TRUE(TakeLastJobs(list, 0));
  EXPECT_EQ(list.Count(), 2) << "also the job behind the empty message";
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(sender.Send(JobMessage("/x/late.htm")), TSend::ReceiverGone);
  EXPECT_FALSE(TakeLastJobs(list, 1000)) << "no waiting once stopped";
  EXPECT_EQ(list.Count(), 2);
}

// The compression run and its wait after a file take jobs in, with nothing else reading.
TEST(ServerChannelInTheRun, TheRunAndItsWaitReadTheChannel) {
  char pattern[] = "/tmp/qjr-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string runtime = pattern;
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  const std::string path = TJobChannel::PathFor(JobChannelName());
  ASSERT_EQ(JobList().Channel.Create(path), TJobChannel::TCreateResult::Created);
  TJobChannel sender;
  ASSERT_TRUE(sender.Open(path));
  const std::string file = runtime + "/a.htm";
  std::ofstream(file, std::ios::binary) << "<p>  a  </p>\r\n";
  TJob job;
  job.AddPath("/x/b.htm");

  TDocument document;
  document.WaitAfterFile = false;
  ASSERT_EQ(sender.Send(job.SaveToBuffer()), TSend::Sent);
  document.Compress(file, false);
  EXPECT_EQ(JobList().Count(), 1) << "read inside the run";

  document.WaitAfterFile = true;
  document.Waittime = 600;
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sender.Send(job.SaveToBuffer());
  });
  document.Compress(file, false);
  late.join();
  EXPECT_EQ(JobList().Count(), 2) << "read while the finished file is shown";

  JobList().CloseJobChannel();
  JobList().Clear();
  ::unsetenv("XDG_RUNTIME_DIR");
  std::filesystem::remove_all(runtime);
}

}  // namespace
}  // namespace quorvane
