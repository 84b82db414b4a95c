#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "FaultyCalls.h"
#include "TestSupport.h"
#include "platform/Files.h"
#include "platform/InterruptWatch.h"

namespace quorvane {
namespace {

const auto* const stateHome = testing::AddGlobalTestEnvironment(new test::TStateHomeEnvironment);

using test::EntryNames;
using test::JournalNames;
using test::ReadBytes;
using test::RunUnprivileged;
using test::TFaultyCalls;
using test::TTempDir;
using test::WriteBytes;

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status;
}

TEST(ReadWholeFile, ReadsEveryByteOfLargeAndSizelessFiles) {
  TTempDir dir;
  std::string bytes(3 * 1024 * 1024 + 7, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i * 7 % 256);
  }
  std::string content;
  EXPECT_EQ(ReadWholeFile(dir.Write("big.htm", bytes), content).Error, TFileError::None);
  EXPECT_TRUE(content == bytes);
  EXPECT_EQ(ReadWholeFile("/proc/self/status", content).Error, TFileError::None);
  EXPECT_NE(content.find("Name:"), std::string::npos) << "a file that reports no size";
  // Pipes and folders are refused at once: the include reader's test, which reads through here.
  const TReadResult missing = ReadWholeFile(dir / "missing.htm", content);
  EXPECT_EQ(missing.Error, TFileError::NotFound);
  EXPECT_EQ(missing.Errno, ENOENT);
}

// The mode, owner, group and extended attributes stay; a name at the length limit leaves no
// room for a temporary name beside it; special files are never opened.
TEST(WriteFileReplacing, ReplacesTheContentAndKeepsWhatIsAttachedToTheFile) {
  TTempDir dir;
  const std::string file = dir / (std::string(251, 'n') + ".htm");
  WriteBytes(file, "old content");
  ASSERT_EQ(::chmod(file.c_str(), 0604), 0);
  const bool root = ::geteuid() == 0;  // only root can give files away
  const uid_t owner = root ? 65534 : ::geteuid();
  const gid_t group = root ? 65534 : ::getegid();
  ASSERT_EQ(::chown(file.c_str(), owner, group), 0);
  const bool xattrs = UserXattrsSupported(file);
  if (xattrs) {
    ASSERT_EQ(::setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
  }
  for (bool flush : {false, true}) {
    const std::string data = std::string("new\0\r\n\xff", 7) + (flush ? "flushed" : "");
    ASSERT_EQ(WriteFileReplacing(file, data, {.Flush = flush}), TFileError::None);
    EXPECT_EQ(ReadBytes(file), data);
    EXPECT_EQ(StatusOf(file).st_mode & 07777, 0604u);
    EXPECT_EQ(StatusOf(file).st_uid, owner);
    EXPECT_EQ(StatusOf(file).st_gid, group);
  }
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.note", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }

  const mode_t previousMask = ::umask(022);
  EXPECT_EQ(WriteFileReplacing(dir / "new.htm", "fresh"), TFileError::None);
  ::umask(previousMask);
  EXPECT_EQ(ReadBytes(dir / "new.htm"), "fresh");
  EXPECT_EQ(StatusOf(dir / "new.htm").st_mode & 07777, 0644u);

  ASSERT_EQ(::mkfifo((dir / "pipe.htm").c_str(), 0644), 0);
  EXPECT_EQ(WriteFileReplacing(dir / "pipe.htm", "x"), TFileError::NotRegular);
  EXPECT_EQ(WriteFileReplacing(dir.Path(), "x"), TFileError::NotRegular);
  EXPECT_EQ(WriteFileReplacing(dir / "missing/a.htm", "x"), TFileError::NotFound);
  EXPECT_EQ(EntryNames(dir.Path()),
            (std::vector<std::string>{"new.htm", std::string(251, 'n') + ".htm", "pipe.htm"}));
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

// Permission bits only hold for a process that cannot override them; as root the checks run
// in a child process that has become the user nobody. Where no temporary file can be made
// beside the file, or where root's file would not stay root's, the file is written in place.
TEST(WriteFileReplacing, WritesInPlaceWhereNoTemporaryFileCanBeMadeAndFailsCleanly) {
  TTempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const std::string shared = dir / "shared.htm";
  WriteBytes(shared, "old");
  ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
  const struct stat before = StatusOf(shared);
  const int result = RunUnprivileged([&dir, &shared] {
    // The journal of the in-place write cannot lie beside the file: it goes to the state folder.
    ASSERT_EQ(::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1), 0);
    EXPECT_EQ(WriteFileReplacing(shared, "new"), TFileError::None);
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
    EXPECT_EQ(JournalNames(), std::vector<std::string>{});
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadBytes(shared), "new");
  if (::geteuid() == 0) {
    EXPECT_EQ(StatusOf(shared).st_ino, before.st_ino);
    EXPECT_EQ(StatusOf(shared).st_uid, before.st_uid);
  }
  for (const std::string& name : EntryNames(dir.Path())) {
    EXPECT_NE(name[0], '.') << "a temporary file is left";
  }
}

// A kernel that lets only a privileged process name an unnamed file through its descriptor
// (before Linux 6.10): the files are named through /proc instead, after one refusal.
TEST(WriteFileAnew, NamesItsFilesThroughProcWhereTheDescriptorMayNotBeLinked) {
  class TOldKernel : public TSystemCalls {
   public:
    int LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags) override {
      if ((flags & AT_EMPTY_PATH) != 0) {
        ++Refused;
        errno = ENOENT;
        return -1;
      }
      return TSystemCalls::LinkAt(fromDir, from, toDir, to, flags);
    }
    int Refused = 0;
  } calls;
  TTempDir dir;
  WriteBytes(dir / "old.htm", "old");
  TReadFile read;
  std::string content;
  ASSERT_EQ(ReadWholeFile(dir / "old.htm", content, read).Error, TFileError::None);
  {
    TSystemCallsOverride use(calls);
    EXPECT_EQ(WriteFileAnew(dir / "out/a.htm", "first", 0644), TFileError::None);
    EXPECT_EQ(WriteFileAnew(dir / "out/b.htm", "second", 0644), TFileError::None);
    EXPECT_EQ(WriteReadFile(read, "replaced"), TFileError::None);
  }
  EXPECT_EQ(calls.Refused, 1);
  EXPECT_EQ(ReadBytes(dir / "out/a.htm"), "first");
  EXPECT_EQ(ReadBytes(dir / "out/b.htm"), "second");
  EXPECT_EQ(ReadBytes(dir / "old.htm"), "replaced");
  EXPECT_EQ(EntryNames(dir.Path()), (std::vector<std::string>{"old.htm", "out"}));
}

// What another program may do to a file between its read and its write: each time the name no
// longer names the file read, nothing is written, nothing is created and no link is followed.
TEST(WriteReadFile, WritesNothingUnlessTheNameStillNamesTheFileRead) {
  TTempDir dir;
  const std::string page = dir / "page.htm";
  const std::string victim = dir / "victim.txt";
  const std::vector<std::pair<const char*, std::function<void()>>> swaps = {
      {"deleted", [&] { ::unlink(page.c_str()); }},
      {"replaced by rename",
       [&] {
         WriteBytes(dir / "theirs", "theirs");
         ::rename((dir / "theirs").c_str(), page.c_str());
       }},
      {"swapped for a link",
       [&] {
         ::unlink(page.c_str());
         ::symlink("victim.txt", page.c_str());
       }},
      {"edited in place", [&] { WriteBytes(page, "their edit"); }},
  };
  for (const bool hardLinked : {false, true}) {
    for (const auto& [name, swap] : swaps) {
      SCOPED_TRACE(std::string(name) + (hardLinked ? ", hard-linked" : ""));
      ::unlink(page.c_str());
      ::unlink((dir / "link").c_str());
      WriteBytes(page, "old page");
      WriteBytes(victim, "victim");
      if (hardLinked) {
        ASSERT_EQ(::link(page.c_str(), (dir / "link").c_str()), 0);
      }
      TReadFile read;
      std::string content;
      ASSERT_EQ(ReadWholeFile(page, content, read).Error, TFileError::None);
      const std::string before = [&] {
        swap();
        return ::access(page.c_str(), F_OK) == 0 ? ReadBytes(page) : "";
      }();
      EXPECT_EQ(WriteReadFile(read, "new"), TFileError::Changed);
      EXPECT_EQ(ReadBytes(victim), "victim");
      EXPECT_EQ(::access(page.c_str(), F_OK) == 0 ? ReadBytes(page) : "", before);
      EXPECT_EQ(JournalNames(), std::vector<std::string>{});
    }
  }
  EXPECT_EQ(EntryNames(dir.Path()), (std::vector<std::string>{"link", "page.htm", "victim.txt"}));
}

// The folder is held from the read on: one put in its place receives nothing.
TEST(WriteReadFile, WritesTheFileReadWhenItsFolderIsSwapped) {
  TTempDir dir;
  ASSERT_EQ(::mkdir((dir / "site").c_str(), 0755), 0);
  WriteBytes(dir / "site/page.htm", "old");
  TReadFile read;
  std::string content;
  ASSERT_EQ(ReadWholeFile(dir / "site/page.htm", content, read).Error, TFileError::None);
  ASSERT_EQ(::rename((dir / "site").c_str(), (dir / "moved").c_str()), 0);
  ASSERT_EQ(::mkdir((dir / "site").c_str(), 0755), 0);
  WriteBytes(dir / "site/page.htm", "theirs");
  EXPECT_EQ(WriteReadFile(read, "new"), TFileError::None);
  EXPECT_EQ(ReadBytes(dir / "moved/page.htm"), "new");
  EXPECT_EQ(ReadBytes(dir / "site/page.htm"), "theirs");
}

// Each road of a file replacement with its Nth write, rename (or link), fsync or close failing
// in turn, N = 1, 2, ... until the replacement runs through without meeting a failure; and a
// full disk from the Nth write on.
class FaultInjection : public testing::Test {
 protected:
  struct TRoad {
    const char* Name;
    bool Editor;  // the editor's Save, durable; else the batch's write of the file it read
    bool HardLinked;
    bool Anew;   // the batch's result put at a name of an output tree
    bool Fresh;  // at a name that nothing has yet
  };
  static constexpr TRoad kRoads[] = {{"batch", false, false, false, false},
                                     {"batch in place", false, true, false, false},
                                     {"editor save", true, false, false, false},
                                     {"editor save in place", true, true, false, false},
                                     {"output tree", false, false, true, false},
                                     {"output tree, new name", false, false, true, true}};

  // What the name holds before the write: nothing, for a fresh one.
  static std::string Old(const TRoad& road) { return road.Fresh ? "" : kOld; }

  void Prepare(const TRoad& road) {
    ::unlink(link_.c_str());
    WriteBytes(file_, kOld);
    if (road.Fresh) {
      ::unlink(file_.c_str());
    }
    if (road.HardLinked) {
      ASSERT_EQ(::link(file_.c_str(), link_.c_str()), 0);
    }
  }

  TFileError Write(const TRoad& road, TFaultyCalls& calls) {
    TReadFile read;
    std::string content;
    if (!road.Editor && !road.Anew) {
      EXPECT_EQ(ReadWholeFile(file_, content, read).Error, TFileError::None);
    }
    TSystemCallsOverride use(calls);
    if (road.Anew) {
      return WriteFileAnew(file_, kNew, 0644);
    }
    return road.Editor ? WriteFileReplacing(file_, kNew, {.Flush = true})
                       : WriteReadFile(read, kNew);
  }

  void ExpectNoStrayFile(const TRoad& road) {
    std::vector<std::string> expected = road.HardLinked
                                            ? std::vector<std::string>{"data.htm", "link.htm"}
                                            : std::vector<std::string>{"data.htm"};
    if (road.Fresh && ReadBytes(file_).empty()) {
      expected.clear();  // nothing was made
    }
    EXPECT_EQ(EntryNames(dir_.Path()), expected);
    EXPECT_EQ(JournalNames(), std::vector<std::string>{});
    if (road.HardLinked) {
      EXPECT_EQ(StatusOf(file_).st_nlink, 2u) << "the links stay one file";
    }
  }

  static constexpr const char* kOld = "old content";
  static constexpr const char* kNew = "the new, longer content";
  TTempDir dir_;
  const std::string file_ = dir_ / "data.htm";
  const std::string link_ = dir_ / "link.htm";
};

// A full disk fails every write from the Nth on: the old content stays, or, where not even it
// could be written back, the journal holds it for the next run.
TEST_F(FaultInjection, EachFailingCallLeavesOldOrNewAndIsReported) {
  using TKind = TFaultyCalls::TKind;
  const std::pair<TKind, const char*> kinds[] = {{TKind::Write, "write"},
                                                 {TKind::Rename, "rename"},
                                                 {TKind::Fsync, "fsync"},
                                                 {TKind::Close, "close"},
                                                 {TKind::Write, "full disk"}};
  std::string counts;
  for (const TRoad& road : kRoads) {
    for (const auto& [kind, kindName] : kinds) {
      const bool full = std::string_view(kindName) == "full disk";
      int failAt = 1;
      for (;; ++failAt) {
        ASSERT_LT(failAt, 100) << road.Name << ", " << kindName;
        SCOPED_TRACE(std::string(road.Name) + ", " + kindName + " " + std::to_string(failAt));
        Prepare(road);
        TFaultyCalls calls(kind, failAt, full ? ENOSPC : EIO);
        calls.Persistent = full;
        const TFileError result = Write(road, calls);
        if (!calls.Hit()) {
          EXPECT_EQ(result, TFileError::None);
          EXPECT_EQ(ReadBytes(file_), kNew);
          break;
        }
        if (full) {
          EXPECT_NE(result, TFileError::None);
          if (!JournalNames().empty()) {
            EXPECT_EQ(RestoreFromJournal(file_).Status, TJournalRestore::TStatus::Restored);
          }
          EXPECT_EQ(ReadBytes(file_), Old(road));
        }
        const std::string content = ReadBytes(file_);
        EXPECT_TRUE(content == Old(road) || content == kNew) << content;
        // A new name appears only with all of its content, as far as the closing tells.
        if (road.Fresh && result != TFileError::None) {
          EXPECT_EQ(content, "");
        }
        // Success only with the new content: a failed journal goes elsewhere, but a close that
        // may have lost data is never passed over.
        if (result == TFileError::None) {
          EXPECT_EQ(content, kNew);
          EXPECT_TRUE(kind != TKind::Close || calls.HitHarmlessClose()) << "unreported";
        }
        ExpectNoStrayFile(road);
      }
      counts += std::string(road.Name) + " " + kindName + " " + std::to_string(failAt - 1) + "; ";
    }
  }
  std::printf("failures injected: %s\n", counts.c_str());
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
