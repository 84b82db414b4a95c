// The server's reading of its channel, and instances started with -s as processes: who does
// the work, and that no job is lost.
#include "batch/ClientServer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "BatchTestSupport.h"
#include "PageGenerator.h"
#include "TestSupport.h"
#include "batch/Document.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kChannelName[] = "{00000701-75E7-11D7-0266-00A024502A20}";

using test::Finish;
using test::kCompressed;
using test::kPage;
using test::Paths;
using test::Q;
using test::ReadBytes;
using test::TRun;
using test::WriteBytes;
using namespace std::string_literals;
using TSend = TJobChannel::TSendResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The terminal's statistics line of a file: "name: 27 % (16 Characters)".
bool IsStatisticsLine(const std::string& line) {
  return line.find(": ") != std::string::npos && line.find(" % (") != std::string::npos;
}

class ClientServer : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(site);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    SetWaittime(0);
  }

  void SetWaittime(int milliseconds) {
    WriteBytes(root / "config/Brennik/Quorvane.conf",
               "[1]\n7\\Waittime=" + std::to_string(milliseconds) + "\n");
  }

  std::unique_ptr<QProcess> Start(const QStringList& args, const fs::path& directory) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = test::ProgramEnvironment(root);
    env.insert("XDG_RUNTIME_DIR", Q(runtime));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(Q(directory));
    process->start(QUORVANE_BINARY, args);
    return process;
  }

  // Waits until an instance holds the channel.
  bool ChannelAppears() const {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!fs::exists(channel)) {
      if (Clock::now() > deadline) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  test::TTempDir temp;
  const fs::path root = temp.PathWithoutSlash();
  const fs::path site = root / "site";
  const fs::path runtime = root / "run";
  const fs::path channel = runtime / "quorvane" / kChannelName;
};

// The clients name their files relative to their own directory; the server works elsewhere. A
// name with a wildcard that a file manager passes with -l stays a name in the server too.
TEST_F(ClientServer, LaterInstancesHandTheirJobsToTheWorkingOne) {
  SetWaittime(2000);  // the server waits this long for late jobs once its queue is done
  WriteBytes(site / "big.htm", bench::GeneratePage(8u << 20, 7));
  for (const char* name : {"small.htm", "sub/small.htm", "sub/star*.htm", "sub/star-other.htm"}) {
    WriteBytes(site / name, kPage);
  }
  auto server = Start({"-s", "big.htm"}, site);
  ASSERT_TRUE(ChannelAppears());
  const auto start = Clock::now();
  const TRun client = Finish(*Start({"-s", "small.htm"}, site / "sub"));
  const auto clientTime = Clock::now() - start;
  EXPECT_FALSE(server->waitForFinished(0)) << "the client ended first";
  const TRun literalClient = Finish(*Start({"-s", "-l", "star*.htm"}, site / "sub"));
  const TRun serverRun = Finish(*server);

  EXPECT_EQ(client.exitCode, 0);
  EXPECT_EQ(client.out + client.err + literalClient.out + literalClient.err, "")
      << "the clients did no work";
  EXPECT_LT(clientTime, std::chrono::seconds(5));
  EXPECT_EQ(serverRun.exitCode, 0) << serverRun.err;
  const std::vector<std::string> lines = Lines(serverRun.out);
  ASSERT_EQ(lines.size(), 6u) << serverRun.out;
  EXPECT_TRUE(lines[0].starts_with("big.htm: ")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with("Compress: Job 2/")) << lines[1];
  EXPECT_EQ(lines[2], (site / "sub/small.htm").string() + ": 27 % (16 Characters)");
  EXPECT_EQ(lines[3], "Compress: Job 3/3");
  EXPECT_TRUE(lines[4].starts_with((site / "sub/star*.htm: ").string())) << lines[4];
  EXPECT_TRUE(lines[5].starts_with("3 files, ")) << lines[5];
  EXPECT_EQ(ReadBytes(site / "sub/small.htm"), kCompressed);
  EXPECT_EQ(ReadBytes(site / "sub/star*.htm"), kCompressed);
  EXPECT_EQ(ReadBytes(site / "small.htm"), kPage) << "the server's own directory is not meant";
  EXPECT_EQ(ReadBytes(site / "sub/star-other.htm"), kPage);
  EXPECT_EQ(ReadBytes(site / "big.htm").find("\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(channel));

  // With nothing to do an instance ends at once, also when it takes the channel.
  const TRun empty = Finish(*Start({"-s"}, site));
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out + empty.err, "");
  EXPECT_FALSE(fs::exists(channel));
}

// Forty instances at once, as a file manager starts them for forty selected files.
TEST_F(ClientServer, StressFortyInstancesAtOnceOneDoesAllTheWork) {
  SetWaittime(3000);
  constexpr int kInstances = 40;
  std::vector<std::unique_ptr<QProcess>> processes;
  // Five directories, so that the instances do not share one current directory.
  auto fileOf = [this](int i) {
    return site / std::to_string(i % 5) / (std::to_string(i) + ".htm");
  };
  for (int i = 0; i < kInstances; ++i) {
    WriteBytes(fileOf(i), kPage);
  }
  for (int i = 0; i < kInstances; ++i) {
    processes.push_back(Start({"-s", Q(fileOf(i).filename())}, fileOf(i).parent_path()));
  }
  std::map<std::string, int> processed;  // file name -> statistics lines naming it
  int workers = 0;
  for (auto& process : processes) {
    const TRun run = Finish(*process);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    int files = 0;
    for (const std::string& line : Lines(run.out)) {
      if (IsStatisticsLine(line)) {
        ++files;
        ++processed[fs::path(line.substr(0, line.find(": "))).filename().string()];
      }
    }
    workers += files > 0;
    if (files > 0) {
      EXPECT_EQ(files, kInstances) << run.out;
    }
  }
  EXPECT_EQ(workers, 1) << "exactly one instance did the work";
  EXPECT_EQ(processed.size(), size_t{kInstances});
  for (const auto& [name, count] : processed) {
    EXPECT_EQ(count, 1) << name;
  }
  for (int i = 0; i < kInstances; ++i) {
    EXPECT_EQ(ReadBytes(fileOf(i)), kCompressed) << fileOf(i);
  }
  EXPECT_FALSE(fs::exists(channel)) << "no socket file remains";
  EXPECT_TRUE(fs::is_empty(channel.parent_path()));
}

// A job list that reads a real channel in a temporary runtime directory.
class ServerChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    environment.Set("XDG_RUNTIME_DIR", runtime.PathWithoutSlash());
    path = TJobChannel::PathFor(JobChannelName());
    ASSERT_EQ(path, runtime / "quorvane/{00000701-75E7-11D7-0266-00A024502A20}");
  }
  void TearDown() override {
    list.CloseJobChannel();
    JobList().CloseJobChannel();
    JobList().Clear();
  }
  void Listen(TJobList& receiver) {
    ASSERT_EQ(receiver.Channel.Create(path), TJobChannel::TCreateResult::Created);
    ASSERT_TRUE(sender.Open(path));
  }
  static std::string JobMessage(const std::string& path) {
    TJob job;
    job.AddPath(path);
    return job.SaveToBuffer();
  }

  test::TTempDir runtime;
  test::TScopedEnvironment environment;
  std::string path;
  TJobList list;
  TJobChannel sender;
};

TEST_F(ServerChannel, WaitingMessagesBecomeJobsAndAnEmptyOneEndsTheReading) {
  Listen(list);
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
  Listen(list);
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
TEST_F(ServerChannel, TheRunAndItsWaitReadTheChannel) {
  Listen(JobList());
  const std::string file = runtime.Write("a.htm", "<p>  a  </p>\r\n");
  TDocument document;
  document.WaitAfterFile = false;
  ASSERT_EQ(sender.Send(JobMessage("/x/b.htm")), TSend::Sent);
  document.Compress(file, false);
  EXPECT_EQ(JobList().Count(), 1) << "read inside the run";

  document.WaitAfterFile = true;
  document.Waittime = 600;
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sender.Send(JobMessage("/x/b.htm"));
  });
  document.Compress(file, false);
  late.join();
  EXPECT_EQ(JobList().Count(), 2) << "read while the finished file is shown";
}

}  // namespace
}  // namespace quorvane
