#include "batch/IncludeFileReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"

namespace quorvane {
namespace {

using TResult = IIncludeFiles::TResult;

TResult Load(TIncludeFileReader& reader, const std::string& path, std::string* content = nullptr,
             size_t maxSize = 1 << 20) {
  std::string bytes = "old";
  const TResult result = reader.Load(path, maxSize, bytes);
  if (result != TResult::Loaded) {
    EXPECT_EQ(bytes, "") << path;
  }
  if (content != nullptr) {
    *content = bytes;
  }
  return result;
}

TEST(IncludeFileReader, ReadsOnlyRegularFilesAndNeverBlocks) {
  const test::TTempDir dir;
  test::WriteBytes(dir / "part.htm", "PART");
  ::mkdir((dir / "sub").c_str(), 0700);
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  TIncludeFileReader reader(dir / "index.htm");
  std::string content;
  EXPECT_EQ(Load(reader, dir / "part.htm", &content), TResult::Loaded);
  EXPECT_EQ(content, "PART");
  EXPECT_EQ(Load(reader, dir / "part.htm", nullptr, 3), TResult::TooLarge);
  EXPECT_EQ(Load(reader, dir / "sub"), TResult::Missing);
  EXPECT_EQ(Load(reader, dir / "none.htm"), TResult::Missing);
  EXPECT_EQ(Load(reader, std::string(dir / "part.htm") + std::string("\0x", 2)), TResult::Missing);
  EXPECT_EQ(Load(reader, dir / "pipe"), TResult::Unreadable);
  EXPECT_EQ(Load(reader, "/dev/zero"), TResult::Unreadable);
}

TEST(IncludeFileReader, AsRootReadsOnlyWhatTheDocumentsOwnerCouldRead) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root reads on behalf of another user";
  }
  constexpr uid_t kNobody = 65534;
  const test::TTempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  auto file = [&](const std::string& name, uid_t uid, gid_t gid, mode_t mode) {
    test::WriteBytes(dir / name, name);
    ASSERT_EQ(::chown((dir / name).c_str(), uid, gid), 0);
    ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0);
  };
  file("page.htm", kNobody, kNobody, 0600);
  file("own.htm", kNobody, 0, 0600);
  file("group.htm", 0, kNobody, 0640);
  file("other.htm", 0, 0, 0644);
  file("root.htm", 0, 0, 0600);
  file("owner-barred.htm", kNobody, 0, 0044);  // the owner's own bits decide for the owner
  ::mkdir((dir / "private").c_str(), 0700);
  file("private/open.htm", 0, 0, 0644);
  ASSERT_EQ(::symlink((dir / "root.htm").c_str(), (dir / "link.htm").c_str()), 0);

  TIncludeFileReader asOwner(dir / "page.htm");
  for (const char* readable : {"own.htm", "group.htm", "other.htm"}) {
    std::string content;
    EXPECT_EQ(Load(asOwner, dir / readable, &content), TResult::Loaded) << readable;
    EXPECT_EQ(content, readable);
  }
  for (const char* barred : {"root.htm", "owner-barred.htm", "private/open.htm", "link.htm"}) {
    EXPECT_EQ(Load(asOwner, dir / barred), TResult::Missing) << barred;
  }
  EXPECT_EQ(Load(asOwner, "/etc/shadow"), TResult::Missing);

  // A document of root's own reads as root does.
  file("root-page.htm", 0, 0, 0600);
  TIncludeFileReader asRoot(dir / "root-page.htm");
  EXPECT_EQ(Load(asRoot, dir / "root.htm"), TResult::Loaded);
  EXPECT_EQ(Load(asRoot, dir / "private/open.htm"), TResult::Loaded);
}

}  // namespace
}  // namespace quorvane
