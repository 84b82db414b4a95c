#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "TestSupport.h"
#include "platform/Files.h"
#include "platform/InterruptWatch.h"

namespace quorvane {
namespace {

using test::EntryNames;
using test::ReadBytes;
using test::RunUnprivileged;
using test::TTempDir;
using test::WriteBytes;

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status;
}

TEST(WriteFileReplacing, ReplacesTheContentKeepsTheModeAndLeavesNoTemporaryFile) {
  TTempDir dir;
  const std::string file = dir / "page.htm";
  WriteBytes(file, "old content");
  ASSERT_EQ(::chmod(file.c_str(), 0604), 0);
  for (bool flush : {false, true}) {
    const std::string data = std::string("new\0\r\n\xff", 7) + (flush ? "flushed" : "");
    ASSERT_EQ(WriteFileReplacing(file, data, {.Flush = flush}), TFileError::None);
    EXPECT_EQ(ReadBytes(file), data);
    EXPECT_EQ(StatusOf(file).st_mode & 07777, 0604u);
  }
  const mode_t previousMask = ::umask(022);
  EXPECT_EQ(WriteFileReplacing(dir / "new.htm", "fresh"), TFileError::None);
  ::umask(previousMask);
  EXPECT_EQ(ReadBytes(dir / "new.htm"), "fresh");
  EXPECT_EQ(StatusOf(dir / "new.htm").st_mode & 07777, 0644u);
  EXPECT_EQ(EntryNames(dir.Path()), (std::vector<std::string>{"new.htm", "page.htm"}));
  SyncWrittenFileSystems();
}

TEST(WriteFileReplacing, KeepsSymbolicLinksAndHardLinks) {
  TTempDir dir;
  ASSERT_EQ(::mkdir((dir / "site").c_str(), 0755), 0);
  WriteBytes(dir / "site/target.htm", "old");
  ASSERT_EQ(::symlink("site/target.htm", (dir / "first").c_str()), 0);
  ASSERT_EQ(::symlink("first", (dir / "second").c_str()), 0);
  ASSERT_EQ(WriteFileReplacing(dir / "second", "through links"), TFileError::None);
  EXPECT_TRUE(S_ISLNK(StatusOf(dir / "second").st_mode));
  EXPECT_TRUE(S_ISLNK(StatusOf(dir / "first").st_mode));
  EXPECT_EQ(ReadBytes(dir / "site/target.htm"), "through links");
  EXPECT_EQ(EntryNames(dir / "site"), std::vector<std::string>{"target.htm"});

  ASSERT_EQ(::symlink("site/created.htm", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(WriteFileReplacing(dir / "dangling", "created"), TFileError::None);
  EXPECT_TRUE(S_ISLNK(StatusOf(dir / "dangling").st_mode));
  EXPECT_EQ(ReadBytes(dir / "site/created.htm"), "created");

  WriteBytes(dir / "site/one.htm", "old old old");
  ASSERT_EQ(::link((dir / "site/one.htm").c_str(), (dir / "site/two.htm").c_str()), 0);
  const ino_t inode = StatusOf(dir / "site/one.htm").st_ino;
  ASSERT_EQ(WriteFileReplacing(dir / "site/one.htm", "new"), TFileError::None);
  EXPECT_EQ(StatusOf(dir / "site/one.htm").st_ino, inode);
  EXPECT_EQ(StatusOf(dir / "site/two.htm").st_nlink, 2u);
  EXPECT_EQ(ReadBytes(dir / "site/two.htm"), "new");
}

TEST(WriteFileReplacing, KeepsOwnerGroupAndExtendedAttributes) {
  TTempDir dir;
  const std::string file = dir / "page.htm";
  WriteBytes(file, "old");
  const bool root = ::geteuid() == 0;
  const bool xattrs = UserXattrsSupported(file);
  if (!root && !xattrs) {
    GTEST_SKIP() << "needs root or user extended attributes";
  }
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  }
  if (xattrs) {
    ASSERT_EQ(::setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
  }
  ASSERT_EQ(WriteFileReplacing(file, "new"), TFileError::None);
  EXPECT_EQ(ReadBytes(file), "new");
  if (root) {
    EXPECT_EQ(StatusOf(file).st_uid, 65534u);
    EXPECT_EQ(StatusOf(file).st_gid, 65534u);
  }
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.note", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }
}

TEST(WriteFileReplacing, HandlesNamesAtTheLengthLimit) {
  TTempDir dir;
  const std::string file = dir / (std::string(251, 'n') + ".htm");
  WriteBytes(file, "old");
  ASSERT_EQ(WriteFileReplacing(file, "new"), TFileError::None);
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(EntryNames(dir.Path()).size(), 1u);
}

TEST(WriteFileReplacing, NeverOpensSpecialFiles) {
  TTempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.htm").c_str(), 0644), 0);
  EXPECT_EQ(WriteFileReplacing(dir / "pipe.htm", "x"), TFileError::NotRegular);
  EXPECT_EQ(WriteFileReplacing(dir.Path(), "x"), TFileError::NotRegular);
  EXPECT_EQ(WriteFileReplacing(dir / "missing/a.htm", "x"), TFileError::NotFound);
  EXPECT_EQ(EntryNames(dir.Path()), std::vector<std::string>{"pipe.htm"});
}

// Permission bits only hold for a process that cannot override them; as root the checks run
// in a child process that has become the user nobody.
TEST(WriteFileReplacing, WritesInPlaceWhereNoTemporaryFileCanBeMadeAndFailsCleanly) {
  TTempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const int result = RunUnprivileged([&dir] {
    const std::string sub = dir / "locked";
    const std::string file = sub + "/page.htm";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    WriteBytes(file, "old content");
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    const ino_t inode = StatusOf(file).st_ino;
    EXPECT_EQ(WriteFileReplacing(file, "new"), TFileError::None);
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(StatusOf(file).st_ino, inode);

    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(WriteFileReplacing(file, "newer"), TFileError::AccessDenied);
    ASSERT_EQ(::chmod(sub.c_str(), 0755), 0);
    EXPECT_EQ(WriteFileReplacing(file, "newer"), TFileError::AccessDenied);
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(EntryNames(sub), std::vector<std::string>{"page.htm"});
  });
  if (result == test::kCannotDropPrivileges) {
    GTEST_SKIP() << "cannot drop root privileges";
  }
  EXPECT_EQ(result, 0);
}

TEST(WriteFileReplacing, WritesInPlaceWhenTheOwnerCannotBeKept) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs root to give the file to another user";
  }
  TTempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const std::string file = dir / "shared.htm";
  WriteBytes(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
  const ino_t inode = StatusOf(file).st_ino;
  const int result =
      RunUnprivileged([&file] { EXPECT_EQ(WriteFileReplacing(file, "new"), TFileError::None); });
  ASSERT_EQ(result, 0);
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(StatusOf(file).st_ino, inode);
  EXPECT_EQ(StatusOf(file).st_uid, 0u);
  EXPECT_EQ(EntryNames(dir.Path()), std::vector<std::string>{"shared.htm"});
}

// A child process rewrites a large file over and over (two contents by turns) until it is
// stopped at a random moment.
class InterruptedWriterTest : public testing::Test {
 protected:
  void SetUp() override { WriteBytes(file_, oldContent_); }

  pid_t StartWriter(bool watchInterrupts) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      std::optional<TInterruptWatch> watch;
      if (watchInterrupts) {
        watch.emplace();
      }
      ::write(ready[1], "r", 1);  // signals sent from now on meet the watch
      for (bool turn = false;; turn = !turn) {
        WriteFileReplacing(file_, turn ? oldContent_ : newContent_);
      }
    }
    ::close(ready[1]);
    char byte;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(random_() % 30000));
    return child;
  }

  void ExpectOldOrNewContent() {
    const std::string content = ReadBytes(file_);
    EXPECT_TRUE(content == oldContent_ || content == newContent_)
        << "size " << content.size() << " of " << oldContent_.size();
    EXPECT_EQ(FindFiles(dir_.Path(), "*").size(), 1u);
  }

  TTempDir dir_;
  const std::string file_ = dir_ / "data.htm";
  const std::string oldContent_ = std::string(4 << 20, 'o');
  const std::string newContent_ = std::string(4 << 20, 'n');
  std::mt19937 random_{std::random_device{}()};
};

TEST_F(InterruptedWriterTest, AKilledWriterLeavesOldOrNewContentAndAtMostAHiddenTemporaryFile) {
  for (int round = 0; round < 5; ++round) {
    const pid_t child = StartWriter(false);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ExpectOldOrNewContent();
    for (const std::string& name : EntryNames(dir_.Path())) {
      EXPECT_TRUE(name == "data.htm" || name.rfind(".data.htm.", 0) == 0) << name;
    }
  }
}

TEST_F(InterruptedWriterTest, ASecondInterruptRemovesTheTemporaryFileAndEndsWith130) {
  for (int round = 0; round < 3; ++round) {
    const pid_t child = StartWriter(true);
    int status = 0;
    bool ended = false;
    // Signals sent in quick succession may merge into one, so repeat until the writer ends.
    for (int attempt = 0; attempt < 2000 && !ended; ++attempt) {
      ::kill(child, SIGINT);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ended = ::waitpid(child, &status, WNOHANG) == child;
    }
    if (!ended) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(ended && WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    ExpectOldOrNewContent();
    EXPECT_EQ(EntryNames(dir_.Path()), std::vector<std::string>{"data.htm"});
  }
}

}  // namespace
}  // namespace quorvane
