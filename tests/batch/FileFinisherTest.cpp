#include "batch/FileFinisher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestSupport.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using test::Read;
using test::Write;

class FileFinisher : public ::testing::Test {
 protected:
  // The file as the batch has it once it has read it, with its new content.
  static TFinishedFile Finished(const fs::path& path, const std::string& text,
                                std::optional<TFileTime> stamp = {}) {
    TFinishedFile file;
    file.Name = path.string();
    file.Text = text;
    file.Stamp = stamp;
    std::string content;
    ReadWholeFile(path.string(), content, file.File);
    return file;
  }

  test::TTempDir temp;
  const fs::path dir = temp.PathWithoutSlash();
};

TEST_F(FileFinisher, WritesDatesAndReportsEachFile) {
  const fs::path page = dir / "page.htm";
  Write(page, "old");
  const TFileTime stamp{1000000000, 123456789};
  {
    TFileFinisher finisher;
    finisher.Start(Finished(page, "new", stamp));
    const auto written = finisher.Wait();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Name, page.string());
    EXPECT_EQ(written->Error, TFileError::None);
    EXPECT_EQ(GetFileTime(page.string()), stamp);

    TFinishedFile gone = Finished(page, "x");
    fs::remove(page);  // between the read and the write: not created again
    finisher.Start(std::move(gone));
    EXPECT_EQ(finisher.Wait()->Error, TFileError::Changed);
    EXPECT_FALSE(fs::exists(page));
    EXPECT_FALSE(finisher.Wait());  // nothing in hand any more

    Write(page, "old");
    finisher.Start(Finished(page, "newer"));
  }  // the destructor waits for the file in hand
  EXPECT_EQ(Read(page), "newer");
}

TEST_F(FileFinisher, KnowsEveryNameOfTheFileInHand) {
  const fs::path page = dir / "page.htm";
  const fs::path other = dir / "other.htm";
  Write(page, "old");
  Write(other, "other");
  fs::create_hard_link(page, dir / "link.htm");
  fs::create_symlink(page, dir / "symlink.htm");
  TFileFinisher finisher;
  EXPECT_FALSE(finisher.PendingIs(page.string()));
  TFinishedFile file = Finished(page, "new");
  file.Text.reset();  // nothing to write: the file stays as it is, and in hand until waited for
  finisher.Start(std::move(file));
  EXPECT_TRUE(finisher.PendingIs(page.string()));
  EXPECT_TRUE(finisher.PendingIs((dir / "link.htm").string()));
  EXPECT_TRUE(finisher.PendingIs((dir / "symlink.htm").string()));
  EXPECT_FALSE(finisher.PendingIs(other.string()));
  finisher.Wait();
  EXPECT_FALSE(finisher.PendingIs(page.string()));
}

}  // namespace
}  // namespace quorvane
