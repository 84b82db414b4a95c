#include "platform/WriteJournal.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "FaultyCalls.h"
#include "TestSupport.h"
#include "platform/Files.h"

namespace quorvane {
namespace {

using test::EntryNames;
using test::JournalNames;
using test::KilledWrite;
using test::ReadBytes;
using test::TFaultyCalls;
using test::TTempDir;
using test::WriteBytes;

constexpr const char* kOld = "old content of the page";
constexpr const char* kNew = "the new content, a little longer";

// A writer killed at each system call of its write in turn (every call, N = 1, 2, ... until
// the write runs through) leaves the file old or new once the next run has put back what a
// journal holds, and the next write in the folder leaves no trace of the killed one.
TEST(WriteJournal, AWriteKilledAtAnyCallLeavesOldOrNewAndTheNextRunRestoresIt) {
  struct TVariant {
    const char* Name;
    bool HardLinked;  // written in place, with a journal
    bool Named;       // no unnamed temporary files on this file system
  };
  std::string counts;
  for (const TVariant variant :
       {TVariant{"rename", false, false}, TVariant{"in place", true, false},
        TVariant{"rename, named", false, true}, TVariant{"in place, named", true, true}}) {
    // Folders stay until the end, so that no new one takes the place of one already cleared.
    std::vector<std::unique_ptr<TTempDir>> dirs;
    int killAt = 1;
    for (;; ++killAt) {
      ASSERT_LT(killAt, 200);
      SCOPED_TRACE(std::string(variant.Name) + ", killed at call " + std::to_string(killAt));
      const TTempDir& dir = *dirs.emplace_back(std::make_unique<TTempDir>());
      const std::string file = dir / "page.htm";
      WriteBytes(file, kOld);
      if (variant.HardLinked) {
        ASSERT_EQ(::link(file.c_str(), (dir / "link.htm").c_str()), 0);
      }
      if (!KilledWrite(file, kNew, TFaultyCalls::TKind::Any, killAt, variant.Named)) {
        EXPECT_EQ(ReadBytes(file), kNew);
        break;
      }
      // The next run: a process of its own, as the one killed was.
      const std::vector<std::string> left = JournalNames();
      const bool journal = std::any_of(left.begin(), left.end(), [](const std::string& name) {
        return !IsTemporaryFileName(name);
      });
      EXPECT_EQ(test::RunInChild([&] {
                  EXPECT_EQ(RestoreFromJournal(file).Status,
                            journal ? TJournalRestore::TStatus::Restored
                                    : TJournalRestore::TStatus::None);
                  const std::string content = ReadBytes(file);
                  EXPECT_TRUE(content == kOld || content == kNew) << content;
                  EXPECT_TRUE(!journal || content == kOld);
                  TReadFile read;
                  std::string ignored;
                  ASSERT_EQ(ReadWholeFile(file, ignored, read).Error, TFileError::None);
                  ASSERT_EQ(WriteReadFile(read, kNew), TFileError::None);
                }),
                0);
      const std::vector<std::string> expected =
          variant.HardLinked ? std::vector<std::string>{"link.htm", "page.htm"}
                             : std::vector<std::string>{"page.htm"};
      EXPECT_EQ(EntryNames(dir.Path()), expected);
      EXPECT_EQ(JournalNames(), std::vector<std::string>{});
      if (variant.HardLinked) {
        EXPECT_EQ(ReadBytes(dir / "link.htm"), kNew);
      }
    }
    counts += std::string(variant.Name) + " " + std::to_string(killAt - 1) + "; ";
  }
  std::printf("kill points: %s\n", counts.c_str());
}

TEST(WriteJournal, OnlyTheUsersOwnJournalIsPutBackAndItBlocksAnotherWrite) {
  TTempDir dir;
  const std::string file = dir / "page.htm";
  WriteBytes(file, kOld);
  ASSERT_EQ(::link(file.c_str(), (dir / "link.htm").c_str()), 0);
  // Killed at its third write: the journal's two are done, the file's own has not begun.
  ASSERT_TRUE(KilledWrite(file, kNew, TFaultyCalls::TKind::Write, 3));
  const std::vector<std::string> journals = JournalNames();
  ASSERT_EQ(journals.size(), 1u);
  const std::string journal =
      std::string(std::getenv("XDG_STATE_HOME")) + "/quorvane/journals/" + journals.front();

  TReadFile read;
  std::string content;
  ASSERT_EQ(ReadWholeFile(file, content, read).Error, TFileError::None);
  EXPECT_EQ(WriteReadFile(read, kNew), TFileError::NoJournal) << "a write still to be undone";

  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(journal.c_str(), 65534, 65534), 0);
    EXPECT_EQ(RestoreFromJournal(file).Status, TJournalRestore::TStatus::None);
    ASSERT_EQ(::chown(journal.c_str(), 0, 0), 0);
  }
  WriteBytes(file, "torn");
  EXPECT_EQ(RestoreFromJournal(dir / "link.htm").Status, TJournalRestore::TStatus::Restored);
  EXPECT_EQ(ReadBytes(file), kOld);
  EXPECT_EQ(JournalNames(), std::vector<std::string>{});
}

// The named temporary files of a process that still runs, and names this program does not
// give, stay where they are.
TEST(TemporaryFile, ALaterRunRemovesOnlyTheStaleTemporaryFilesOfItsOwn) {
  TTempDir dir;
  WriteBytes(dir / "page.htm", kOld);
  WriteBytes(dir / ".page.htm.AbCd1234", "someone else's");
  TFaultyCalls named(TFaultyCalls::TKind::Other, 0);
  named.NoUnnamedFiles = true;
  TTemporaryFile live;
  {
    const TSystemCallsOverride use(named);
    ASSERT_EQ(live.Create(dir / "page.htm", 0600), 0);
  }
  std::vector<std::string> names = EntryNames(dir.Path());
  ASSERT_EQ(names.size(), 3u);
  EXPECT_TRUE(IsTemporaryFileName(names[1])) << names[1];
  EXPECT_FALSE(IsTemporaryFileName(names[0]));

  // A child process, that is a later run, works in the folder while this one still lives.
  EXPECT_EQ(test::RunInChild([&dir] {
              EXPECT_EQ(WriteFileReplacing(dir / "page.htm", kNew), TFileError::None);
            }),
            0);
  EXPECT_EQ(ReadBytes(dir / "page.htm"), kNew);
  EXPECT_EQ(EntryNames(dir.Path()), names);
}

}  // namespace
}  // namespace quorvane
