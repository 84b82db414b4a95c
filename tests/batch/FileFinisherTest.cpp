#include "batch/FileFinisher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class FileFinisher : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quorvane-finisher-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path dir;
};

TEST_F(FileFinisher, WritesDatesAndReportsOnlyFailures) {
  const fs::path page = dir / "page.htm";
  std::ofstream(page) << "old";
  const TFileTime stamp{1000000000, 123456789};
  {
    TFileFinisher finisher;
    finisher.Start({page.string(), std::string("new"), stamp, false, {}});
    EXPECT_FALSE(finisher.Wait());
    finisher.Start({(dir / "missing" / "page.htm").string(), std::string("x"), {}, false, {}});
    EXPECT_EQ(finisher.Wait(), (dir / "missing" / "page.htm").string());
    EXPECT_FALSE(finisher.Wait());  // nothing in hand any more
    finisher.Start({page.string(), std::string("newer"), {}, false, {}});
  }  // the destructor waits for the file in hand
  EXPECT_EQ(Read(page), "newer");
}

TEST_F(FileFinisher, KnowsEveryNameOfTheFileInHand) {
  const fs::path page = dir / "page.htm";
  const fs::path other = dir / "other.htm";
  std::ofstream(page) << "old";
  std::ofstream(other) << "other";
  fs::create_hard_link(page, dir / "link.htm");
  fs::create_symlink(page, dir / "symlink.htm");
  TFileFinisher finisher;
  EXPECT_FALSE(finisher.PendingIs(page.string()));
  finisher.Start({page.string(), std::string("new"), {}, false, {}});
  EXPECT_TRUE(finisher.PendingIs(page.string()));
  EXPECT_TRUE(finisher.PendingIs((dir / "link.htm").string()));
  EXPECT_TRUE(finisher.PendingIs((dir / "symlink.htm").string()));
  EXPECT_FALSE(finisher.PendingIs(other.string()));
  finisher.Wait();
  EXPECT_FALSE(finisher.PendingIs(page.string()));
}

}  // namespace
}  // namespace quorvane
