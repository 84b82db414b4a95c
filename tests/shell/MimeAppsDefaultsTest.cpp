// Adding a default application to the user's mimeapps.list without disturbing the rest.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "shell/MimeAppsDefaults.h"

namespace quorvane {
namespace {

TEST(MimeAppsDefaults, ADefaultJoinsItsGroupAndEverythingElseStays) {
  test::TTempDir dir;
  const auto file = dir.Path() / "config" / "mimeapps.list";
  TMimeAppsDefaults defaults(file.string());
  EXPECT_FALSE(defaults.HasDefault("text/html"));
  ASSERT_EQ(defaults.AddDefault("text/html", "browser.desktop"), 0);
  EXPECT_EQ(test::ReadText(file), "[Default Applications]\ntext/html=browser.desktop;\n");
  EXPECT_TRUE(defaults.HasDefault("text/html"));

  test::WriteText(file,
                  "[Added Associations]\ntext/css=editor.desktop;\n\n[Default Applications]\n"
                  "text/plain = editor.desktop;\ntext/css=\n[Removed Associations]\nx/y=z;");
  EXPECT_FALSE(defaults.HasDefault("text/css")) << "an empty value chooses nothing";
  EXPECT_TRUE(defaults.HasDefault("text/plain"));
  ASSERT_EQ(defaults.AddDefault("text/html", "browser.desktop"), 0);
  ASSERT_EQ(defaults.AddDefault("text/plain", "other.desktop"), 0) << "the user's choice stays";
  EXPECT_EQ(test::ReadText(file),
            "[Added Associations]\ntext/css=editor.desktop;\n\n[Default Applications]\n"
            "text/plain = editor.desktop;\ntext/css=\ntext/html=browser.desktop;\n"
            "[Removed Associations]\nx/y=z;");

  test::WriteText(file, "[Added Associations]\ntext/css=editor.desktop;");
  ASSERT_EQ(defaults.AddDefault("text/html", "browser.desktop"), 0);
  EXPECT_EQ(test::ReadText(file),
            "[Added Associations]\ntext/css=editor.desktop;\n\n[Default Applications]\n"
            "text/html=browser.desktop;\n");
}

}  // namespace
}  // namespace quorvane
