// The server's reading of its channel, and instances started with -s as processes: who does
// the work, and that no job is lost.
#include "batch/ClientServer.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "BatchTestSupport.h"
#include "TestSupport.h"
#include "batch/Document.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

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

  test::TTempDir temp;
  const fs::path root = temp.PathWithoutSlash();
  const fs::path site = root / "site";
  const fs::path runtime = root / "run";
  const fs::path channel = runtime / "quorvane" / kChannelName;
};

// Forty instances at once, as a file manager starts them for forty selected files, in five
// directories: one does all the work, each file named relative to the directory of the instance
// that was given it (a name with a wildcard passed with -l stays a name), and the others end at
// once, long before it.
TEST_F(ClientServer, LaterInstancesHandTheirJobsToTheWorkingOne) {
  SetWaittime(3000);  // the worker waits this long for late jobs once its queue is done
  constexpr size_t kInstances = 40;
  auto fileOf = [this](size_t i) {
    return site / std::to_string(i % 5) / (i == 0 ? "star*.htm" : std::to_string(i) + ".htm");
  };
  WriteBytes(site / "0/star-other.htm", kPage);
  std::vector<std::unique_ptr<QProcess>> processes;
  for (size_t i = 0; i < kInstances; ++i) {
    WriteBytes(fileOf(i), kPage);
  }
  for (size_t i = 0; i < kInstances; ++i) {
    const QString name = Q(fileOf(i).filename());
    processes.push_back(Start(i == 0 ? QStringList{"-s", "-l", name} : QStringList{"-s", name},
                              fileOf(i).parent_path()));
  }
  std::vector<TRun> runs;  // in the order the instances end
  while (runs.size() < kInstances) {
    for (auto& process : processes) {
      if (process && process->waitForFinished(5)) {
        runs.push_back(Finish(*process));
        process.reset();
      }
    }
  }
  std::map<std::string, int> processed;  // file name -> statistics lines naming it
  for (size_t i = 0; i < kInstances; ++i) {
    EXPECT_EQ(runs[i].exitCode, 0) << runs[i].err;
    EXPECT_EQ(runs[i].err, "");
    EXPECT_EQ(runs[i].out.empty(), i + 1 < kInstances) << "only the last to end did work";
    for (const std::string& line : Lines(runs[i].out)) {
      if (IsStatisticsLine(line)) {
        ++processed[fs::path(line.substr(0, line.find(": "))).filename().string()];
      }
    }
  }
  EXPECT_NE(runs.back().out.find("Compress: Job 40/40\n"), std::string::npos) << runs.back().out;
  EXPECT_EQ(processed.size(), kInstances);
  for (const auto& [name, count] : processed) {
    EXPECT_EQ(count, 1) << name;
  }
  for (size_t i = 0; i < kInstances; ++i) {
    EXPECT_EQ(ReadBytes(fileOf(i)), kCompressed) << fileOf(i);
  }
  EXPECT_EQ(ReadBytes(site / "0/star-other.htm"), kPage);
  EXPECT_FALSE(fs::exists(channel)) << "no socket file remains";
  EXPECT_TRUE(fs::is_empty(channel.parent_path()));

  // With nothing to do an instance ends at once, also when it takes the channel.
  const TRun empty = Finish(*Start({"-s"}, site));
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out + empty.err, "");
  EXPECT_FALSE(fs::exists(channel));
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

TEST_F(ServerChannel, MessagesBecomeJobsAnEmptyOneEndsAReadAndTheLastReadTakesAll) {
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

  // The last read takes every job sent, also behind an empty message, and then no more.
  ASSERT_EQ(sender.Send(JobMessage("/x/a.htm")), TSend::Sent);
  ASSERT_EQ(sender.Send(""), TSend::Sent);
  ASSERT_EQ(sender.Send(JobMessage("/x/b.htm")), TSend::Sent);
  EXPECT_TRUE(TakeLastJobs(list, 0));
  EXPECT_EQ(list.Count(), 6);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(sender.Send(JobMessage("/x/late.htm")), TSend::ReceiverGone);
  EXPECT_FALSE(TakeLastJobs(list, 1000)) << "no waiting once stopped";
  EXPECT_EQ(list.Count(), 6);
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
