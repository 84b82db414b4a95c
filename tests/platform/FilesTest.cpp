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

// One tree for the walk: hidden names, special files, links, a read-only file, and directories
// that the walk enters or not. The current directory, read for "", is every batch run's.
TEST(ListDirectory, ListsVisibleRegularFilesMaskByMaskAndTheDirectoriesTheWalkEnters) {
  TTempDir dir;
  for (const char* name : {"a1.htm", "ab.htm", "A1.htm", "b.HTM", "b.html", ".h.htm", "a*.htm"}) {
    WriteBytes(dir / name, "x");
  }
  ASSERT_EQ(::chmod((dir / "ab.htm").c_str(), 0444), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe.htm").c_str(), 0644), 0);
  for (const char* name : {"sub", ".hidden", "readonly", "d.htm"}) {
    ASSERT_EQ(::mkdir((dir / name).c_str(), 0755), 0);
  }
  ASSERT_EQ(::chmod((dir / "readonly").c_str(), 0555), 0);
  for (const auto& [target, link] :
       {std::pair{"a1.htm", "link.htm"}, {"gone", "dangling.htm"}, {"sub", "sublink"}}) {
    ASSERT_EQ(::symlink(target, (dir / link).c_str()), 0);
  }
  const TDirListing listing =
      ListDirectory(dir.Path(), {.Masks = {"*.htm", "*.html", "a?.htm"}, .Directories = true});
  std::vector<std::string> files;
  for (const TDirEntry& entry : listing.Files) {
    files.push_back(entry.Name + (entry.ReadOnly ? " ro" : ""));
  }
  // Mask by mask in exact case, and a file once for each mask it matches.
  using Set = std::multiset<std::string>;
  ASSERT_EQ(files.size(), 9u);
  EXPECT_EQ(Set(files.begin(), files.begin() + 5),
            (Set{"a1.htm", "ab.htm ro", "A1.htm", "a*.htm", "link.htm"}));
  EXPECT_EQ(files[5], "b.html");
  EXPECT_EQ(Set(files.begin() + 6, files.end()), (Set{"a1.htm", "ab.htm ro", "a*.htm"}));
  EXPECT_EQ(Set(listing.Directories.begin(), listing.Directories.end()), (Set{"sub", "d.htm"}));

  // Names alone: "*" is a character of the name, and only regular files count.
  const TDirListing named = ListDirectory(
      dir.Path(),
      {.Masks = {"a*.htm", "pipe.htm", "dangling.htm", "d.htm", ".h.htm"}, .NamesOnly = true});
  ASSERT_EQ(named.Files.size(), 1u);
  EXPECT_EQ(named.Files[0].Name, "a*.htm");
  EXPECT_TRUE(named.Directories.empty());
  EXPECT_TRUE(ListDirectory(dir / "missing", {.Masks = {"*"}, .Directories = true}).Files.empty());
}

// "+mask|name" matches, "-mask|name" does not.
TEST(WildcardMatch, MatchesWholeNamesInExactCaseCharacterByCharacter) {
  for (const std::string c :
       {"+*|", "+*.htm|a.htm", "+a?c|abc", "+a*b*c|aXbYbc", "+*a|aaa", "+**|x", "+|", "+*x*|ax.b",
        "-*.htm|a.html", "-*.htm|a.HTM", "-a?c|ac", "-?|", "-a*b*c|aXbYb", "-abc|abcd", "-|a",
        "-*.*|README"}) {
    const size_t bar = c.find('|');
    EXPECT_EQ(WildcardMatch(c.substr(1, bar - 1), c.substr(bar + 1)), c[0] == '+') << c;
  }
  // "?" is one character of a UTF-8 name, or one byte of a name that is no UTF-8.
  EXPECT_TRUE(WildcardMatch("Gr?\u00dfe.htm", "Gr\u00f6\u00dfe.htm"));
  EXPECT_TRUE(WildcardMatch("*?\u20ac", "\u00e4\u65e5\u20ac"));
  EXPECT_TRUE(WildcardMatch("a?c", "a\377c"));
  EXPECT_FALSE(WildcardMatch("??", "\xc3\xb6"));
  EXPECT_FALSE(WildcardMatch("*???", "\xc3\xa4\xc3\xa4"));
  // A run of stars against a long name that nearly matches must not take exponential time.
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

}  // namespace
}  // namespace quorvane
