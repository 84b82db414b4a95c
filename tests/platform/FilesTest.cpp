#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "TestSupport.h"
#include "platform/Files.h"
#include "support/Paths.h"

namespace quorvane {
namespace {

using test::TTempDir;
using test::WriteBytes;

std::set<std::string> Names(const std::vector<TDirEntry>& entries) {
  std::set<std::string> names;
  for (const TDirEntry& entry : entries) {
    names.insert(entry.Name);
  }
  return names;
}

TEST(FileTime, RoundTripsWithNanosecondsAndLeavesTheAccessTime) {
  TTempDir dir;
  const std::string file = dir / "a.htm";
  WriteBytes(file, "x");
  const timespec times[2] = {{1000000000, 5}, {0, UTIME_OMIT}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  const TFileTime stamp{1700000000, 123456789};
  ASSERT_TRUE(SetFileTime(file, stamp));
  EXPECT_EQ(GetFileTime(file), stamp);
  struct stat status;
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(status.st_atim.tv_nsec, 5);
  EXPECT_FALSE(GetFileTime(dir / "missing.htm"));
  EXPECT_FALSE(SetFileTime(dir / "missing.htm", stamp));
}

TEST(FileAttributes, ReadOnlyHiddenAndExistence) {
  TTempDir dir;
  WriteBytes(dir / "a.htm", "x");
  ASSERT_EQ(::symlink("a.htm", (dir / "link.htm").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe.htm").c_str(), 0644), 0);
  EXPECT_FALSE(IsReadOnlyFile(dir / "a.htm"));
  ASSERT_EQ(::chmod((dir / "a.htm").c_str(), 0444), 0);
  EXPECT_TRUE(IsReadOnlyFile(dir / "a.htm"));  // also for root, who may write it anyway
  EXPECT_TRUE(FileExists(dir / "a.htm"));
  EXPECT_TRUE(FileExists(dir / "link.htm"));
  EXPECT_FALSE(FileExists(dir / "pipe.htm"));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_FALSE(DirectoryExists(dir / "a.htm"));
  EXPECT_TRUE(IsHiddenName(".a.htm"));
  EXPECT_FALSE(IsHiddenName("a.htm"));
  EXPECT_FALSE(IsHiddenName(""));
}

TEST(ArchiveAttribute, IsSetUntilClearedAndAgainAfterAnyChange) {
  TTempDir dir;
  const std::string file = dir / "a.htm";
  WriteBytes(file, "12345");
  if (!UserXattrsSupported(file)) {
    GTEST_SKIP() << "no user extended attributes on " << dir.Path();
  }
  EXPECT_TRUE(ArchiveAttributeSet(file));
  ClearArchiveAttribute(file);
  EXPECT_FALSE(ArchiveAttributeSet(file));
  EXPECT_FALSE(FindFiles(dir.Path(), "a.htm").at(0).Archive);

  const TFileTime stamp = *GetFileTime(file);
  ASSERT_TRUE(SetFileTime(file, {stamp.Seconds, (stamp.Nanoseconds + 1) % 1000000000}));
  EXPECT_TRUE(ArchiveAttributeSet(file)) << "one nanosecond is a change";
  ClearArchiveAttribute(file);
  const TFileTime cleared = *GetFileTime(file);
  WriteBytes(file, "123456");
  ASSERT_TRUE(SetFileTime(file, cleared));
  EXPECT_TRUE(ArchiveAttributeSet(file)) << "same time, other size";
  ClearArchiveAttribute(file);
  ASSERT_EQ(WriteFileReplacing(file, "new"), TFileError::None);
  EXPECT_TRUE(ArchiveAttributeSet(file));
}

TEST(PreviewFile, IsWrittenOnlyThroughTheFileItMadeWithTheDocumentsBits) {
  TTempDir dir;
  WriteBytes(dir / "victim.htm", "victim");
  TPreviewFile preview;
  const mode_t previousMask = ::umask(0077);
  ASSERT_EQ(preview.Create(dir.Path(), 0644), 0);
  ::umask(previousMask);
  const std::string name(ExtractFileName(preview.Path()));
  EXPECT_EQ(name.size(), 12u);
  EXPECT_EQ(name.front(), '~');
  struct stat status;
  ASSERT_EQ(::stat(preview.Path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
  EXPECT_EQ(preview.Write("a longer first text"), TFileError::None);
  EXPECT_EQ(preview.Write("second"), TFileError::None);
  EXPECT_EQ(test::ReadBytes(preview.Path()), "second");

  // Another program puts a link at the name: it is no longer ours, and nothing reaches its target.
  const std::string planted = preview.Path();
  ASSERT_EQ(::unlink(planted.c_str()), 0);
  ASSERT_EQ(::symlink("victim.htm", planted.c_str()), 0);
  EXPECT_FALSE(preview.NameIsOurs());
  preview.Write("preview");
  preview.Remove();
  EXPECT_EQ(test::ReadBytes(dir / "victim.htm"), "victim");
  EXPECT_EQ(::lstat(planted.c_str(), &status), 0);
  EXPECT_EQ(preview.Path(), "");

  ASSERT_EQ(preview.Create(dir.Path(), 0600), 0);
  EXPECT_TRUE(preview.NameIsOurs());
  const std::string made = preview.Path();
  preview.Remove();
  EXPECT_NE(::access(made.c_str(), F_OK), 0);
}

class FindFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a1.htm", "ab.htm", "abc.htm", "A1.htm", "b.HTM", ".hidden.htm"}) {
      WriteBytes(dir_ / name, "x");
    }
    ASSERT_EQ(::chmod((dir_ / "ab.htm").c_str(), 0444), 0);
    ASSERT_EQ(::mkfifo((dir_ / "pipe.htm").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir((dir_ / "dir.htm").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("a1.htm", (dir_ / "link.htm").c_str()), 0);
    ASSERT_EQ(::symlink("missing", (dir_ / "dangling.htm").c_str()), 0);
  }
  TTempDir dir_;
};

TEST_F(FindFilesTest, MatchesMasksInExactCaseAndListsOnlyVisibleRegularFiles) {
  using Set = std::set<std::string>;
  EXPECT_EQ(Names(FindFiles(dir_.Path(), "*.htm")),
            (Set{"a1.htm", "ab.htm", "abc.htm", "A1.htm", "link.htm"}));
  EXPECT_EQ(Names(FindFiles(dir_.Path(), "a?.htm")), (Set{"a1.htm", "ab.htm"}));
  EXPECT_EQ(Names(FindFiles(dir_.Path(), "*.HTM")), (Set{"b.HTM"}));
  EXPECT_EQ(Names(FindFiles(dir_.Path(), "A1.htm")), (Set{"A1.htm"}));
  EXPECT_EQ(Names(FindFiles(dir_.Path(), "link.htm")), (Set{"link.htm"}));
  for (const char* none : {"a2.htm", ".hidden.htm", ".*", "pipe.htm", "dir.htm", "dangling.htm"}) {
    EXPECT_TRUE(FindFiles(dir_.Path(), none).empty()) << none;
  }
  EXPECT_TRUE(FindFiles(dir_ / "missing/", "*").empty());
}

TEST_F(FindFilesTest, ReportsReadOnlyEntriesAndReadsTheCurrentDirectoryForAnEmptyOne) {
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(::chdir(dir_.Path().c_str()), 0);
  const std::vector<TDirEntry> entries = FindFiles("", "a*.htm");
  ASSERT_EQ(::chdir(previous.c_str()), 0);
  ASSERT_EQ(entries.size(), 3u);
  for (const TDirEntry& entry : entries) {
    EXPECT_EQ(entry.ReadOnly, entry.Name == "ab.htm") << entry.Name;
  }
}

TEST(ListDirectory, ReadsOnceForFilesOfEveryMaskAndTheDirectoriesTheWalkEnters) {
  TTempDir dir;
  for (const char* name : {"sub", ".hidden", "readonly", "d.htm"}) {
    ASSERT_EQ(::mkdir((dir / name).c_str(), 0755), 0);
  }
  ASSERT_EQ(::chmod((dir / "readonly").c_str(), 0555), 0);
  ASSERT_EQ(::symlink("sub", (dir / "link").c_str()), 0);
  for (const char* name : {"b.html", "a.htm", "c.txt", "a*.htm"}) {
    WriteBytes(dir / name, "x");
  }
  const TDirListing listing =
      ListDirectory(dir.Path(), {.Masks = {"*.htm", "*.html", "a*"}, .Directories = true});
  std::set<std::string> directories(listing.Directories.begin(), listing.Directories.end());
  EXPECT_EQ(directories, (std::set<std::string>{"sub", "d.htm"}));
  std::vector<std::string> files;
  for (const TDirEntry& entry : listing.Files) {
    files.push_back(entry.Name);
  }
  // Mask by mask, and a file once for each mask it matches.
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(std::set<std::string>(files.begin(), files.begin() + 2),
            (std::set<std::string>{"a.htm", "a*.htm"}));
  EXPECT_EQ(files[2], "b.html");
  EXPECT_EQ(std::set<std::string>(files.begin() + 3, files.end()),
            (std::set<std::string>{"a.htm", "a*.htm"}));
  const TDirListing named = ListDirectory(dir.Path(), {.Masks = {"a*.htm"}, .NamesOnly = true});
  ASSERT_EQ(named.Files.size(), 1u);
  EXPECT_EQ(named.Files[0].Name, "a*.htm");
  EXPECT_TRUE(named.Directories.empty());
  EXPECT_TRUE(ListDirectory(dir / "missing", {.Masks = {"*"}, .Directories = true}).Files.empty());
}

// "?" is one character of a UTF-8 name, or one byte of a name that is no UTF-8.
TEST(WildcardMatch, MatchesWholeNamesInExactCaseCharacterByCharacter) {
  // Each "mask|name" that matches, then each that does not; "?" is one character of a UTF-8
  // name, or one byte of a name that is no UTF-8.
  const std::vector<std::string> matching = {"*|",
                                             "*.htm|a.htm",
                                             "a?c|abc",
                                             "a*b*c|aXbYbc",
                                             "*a|aaa",
                                             "**|x",
                                             "|",
                                             "*x*|ax.b",
                                             "Gr?\u00dfe.htm|Gr\u00f6\u00dfe.htm",
                                             "*?\u20ac|\u00e4\u65e5\u20ac",
                                             "a?c|a\377c"};
  const std::vector<std::string> failing = {
      "*.htm|a.html", "*.htm|a.HTM", "a?c|ac",     "?|",          "a*b*c|aXbYb",
      "abc|abcd",     "|a",          "*.*|README", "??|\xc3\xb6", "*???|\xc3\xa4\xc3\xa4"};
  for (const auto& [cases, matches] : {std::pair{&matching, true}, std::pair{&failing, false}}) {
    for (const std::string& c : *cases) {
      const size_t bar = c.find('|');
      EXPECT_EQ(WildcardMatch(c.substr(0, bar), c.substr(bar + 1)), matches) << c;
    }
  }
  // A run of stars against a long name that nearly matches must not take exponential time.
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

}  // namespace
}  // namespace quorvane
