// Jobs as messages between instances.
#include "batch/Job.h"

#include <gtest/gtest.h>

#include <random>

#include "BatchTestSupport.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using test::Paths;

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
  EXPECT_EQ(copy.SaveToBuffer(), expected);
  EXPECT_FALSE(copy.ClientServer);

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

  // A record missing, one past the end, negative or huge lengths and counts, a NUL byte.
  for (const std::string& body :
       {Int32(2) + Record("a.htm"), Int32(1) + Int32(6) + "a.htm", Int32(1) + Int32(-1) + "a.htm",
        Int32(1) + Int32(INT32_MIN), Int32(-1) + Record("a.htm"),
        Int32(INT32_MAX) + Record("a.htm"), Int32(1) + Record("a.htm\0b"s)}) {
    EXPECT_FALSE(job.LoadFromBuffer(header + body)) << body.size();
  }

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
  EXPECT_FALSE(job.LoadFromBuffer(message)) << "a negative count ends in a shortfall";
  const std::string withCount = "\0\0\0\0"s + Int32(500000) + message.substr(8);
  ASSERT_TRUE(job.LoadFromBuffer(withCount));
  EXPECT_EQ(job.Count(), 500000);
  EXPECT_EQ(job.SaveToBuffer(), withCount);
}

// Random damage to valid messages and plain random bytes: every outcome is either a valid
// job, which survives a round trip unchanged, or false.
TEST(JobMessage, AnyBytesGiveAValidJobOrNone) {
  const std::vector<std::string> seeds = {
      "\0\0\0\0\0\0\0\0"s, "\x02\x02\x01\x01"s + Int32(1) + Record("/web/index.htm"),
      "\x01\x01\x00\x00"s + Int32(3) + Record("a") + Record("") + Record("a"),
      "\x00\x00\x01\x00"s + Int32(2) + Record("*.htm") + Record("/x/\xFF\x80.html"),
      "\x81\x01\x00\x00"s + Int32(1) + Record("star*.htm")};
  std::mt19937 random(20261207);
  auto below = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
  int valid = 0;
  for (int round = 0; round < 30000; ++round) {
    std::string message = seeds[below(seeds.size())];
    const size_t kind = below(3);
    if (kind == 0) {  // cut short
      message.resize(below(message.size() + 1));
    } else if (kind == 1) {  // a wild 32-bit field somewhere
      message.replace(below(message.size() - 3), 4, Int32(static_cast<int32_t>(random())));
    } else {  // bytes inserted, others flipped
      message.insert(below(message.size() + 1), std::string(below(16), '\0'));
      for (size_t i = 0; i < message.size(); i += 1 + below(8)) {
        message[i] ^= static_cast<char>(random() & 0x0F);
      }
    }
    TJob job;
    if (!job.LoadFromBuffer(message)) {
      continue;
    }
    ++valid;
    for (const std::string& path : Paths(job)) {
      ASSERT_FALSE(path.empty());
      ASSERT_EQ(path.find('\0'), std::string::npos);
    }
    TJob again;
    ASSERT_TRUE(again.LoadFromBuffer(job.SaveToBuffer()));
    ASSERT_EQ(again.SaveToBuffer(), job.SaveToBuffer()) << "the round trip changes nothing";
  }
  EXPECT_GT(valid, 100) << "the damage should leave some messages valid";
}

}  // namespace
}  // namespace quorvane
