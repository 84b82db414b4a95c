#include "ui/FileNameLabel.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(FileNameLabel, ALongPathLosesMiddleDirectoriesFirst) {
  EXPECT_EQ(ShortPathCandidates("/home/user/web/site/index.htm"),
            QStringList({"/home/.../web/site/index.htm", "/home/.../site/index.htm",
                         "/home/.../index.htm", ".../index.htm"}));
  EXPECT_TRUE(ShortPathCandidates("c.htm").isEmpty());

  TFileNameLabel label;
  const QString path = "/home/user/a-rather-long-directory/another-long-one/page.htm";
  label.resize(label.fontMetrics().horizontalAdvance("/home/.../another-long-one/page.htm") + 4,
               20);
  label.SetPath(path);
  label.show();
  EXPECT_EQ(label.text(), "/home/.../another-long-one/page.htm");
  label.resize(5000, 20);
  EXPECT_EQ(label.text(), path);
  label.SetDoShortPath(false);
  label.resize(20, 20);
  EXPECT_EQ(label.text(), path);
}

}  // namespace
}  // namespace quorvane
