// Quoting and escaping of desktop entry values.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/ContextMenu.h"
#include "shell/DesktopEntryText.h"

namespace quorvane {
namespace {

TEST(DesktopEntryText, ProgramPathsAreQuotedOnlyWhenTheyNeedIt) {
  EXPECT_EQ(CommandLineForProgram("/usr/bin/quorvane"), "/usr/bin/quorvane -s %f");
  EXPECT_EQ(CommandLineForProgram("/opt/my apps/quorvane"), "\"/opt/my apps/quorvane\" -s %f");
  EXPECT_EQ(QuoteExecArgument("/a\"b$c`d\\e"), "\"/a\\\"b\\$c\\`d\\\\e\"");
  EXPECT_EQ(QuoteExecArgument("/it's/(x)"), "\"/it's/(x)\"");
  EXPECT_EQ(QuoteExecArgument("/100%/q"), "/100%%/q") << "no field code";
  EXPECT_EQ(QuoteExecArgument(""), "\"\"");
}

TEST(DesktopEntryText, OddPathsSurviveTheFileAndComeBackAsOneArgument) {
  for (const std::string path :
       {"/usr/bin/quorvane", "/opt/my apps/quorvane", "/tmp/a\\b/\"q\"", "/tmp/$HOME/`x`/q",
        "/tmp/tab\there/q", "/tmp/new\nline/q", "  /lead/and/trail  ", "/tmp/ü/q"}) {
    const std::string command = CommandLineForProgram(path);
    const std::string file = "[Desktop Entry]\nExec=" + EscapeDesktopValue(command) + "\n";
    ASSERT_EQ(std::count(file.begin(), file.end(), '\n'), 2) << "one line per key: " << path;
    const auto keys = ReadDesktopEntry(file);
    ASSERT_EQ(keys.at("Exec"), command) << path;
    const auto arguments = SplitExecValue(command);
    ASSERT_TRUE(arguments.has_value()) << path;
    EXPECT_EQ(*arguments, (std::vector<std::string>{path, "-s", "%f"})) << path;
  }
}

TEST(DesktopEntryText, CommandsCompareByTheirArgumentsNotTheirQuoting) {
  EXPECT_TRUE(SameExecValue("/usr/bin/quorvane -s %f", "\"/usr/bin/quorvane\"  -s %f"));
  EXPECT_FALSE(SameExecValue("/usr/bin/quorvane -s %f", "/usr/local/bin/quorvane -s %f"));
  EXPECT_FALSE(SameExecValue("/usr/bin/quorvane -s %f", "/usr/bin/Quorvane -s %f"));
  EXPECT_FALSE(SameExecValue("/usr/bin/quorvane -s %f", "/usr/bin/quorvane -s %F"));
  EXPECT_FALSE(SameExecValue("\"/usr/bin/quorvane -s %f", "/usr/bin/quorvane -s %f"))
      << "a quote without end";
  EXPECT_EQ(SplitExecValue("\"/a b"), std::nullopt);
}

TEST(DesktopEntryText, OnlyTheDesktopEntryGroupIsRead) {
  const auto keys = ReadDesktopEntry(
      "# comment\r\n[Desktop Entry]\r\nName = A\\sB\\\\C\r\nName=second\r\nName[de]=D\r\n"
      "Comment=x\\qy\r\n[Desktop Action other]\r\nExec=elsewhere\r\n");
  EXPECT_EQ(keys.at("Name"), "A B\\C") << "the first of equal keys";
  EXPECT_EQ(keys.at("Name[de]"), "D");
  EXPECT_EQ(keys.at("Comment"), "x\\qy") << "an unknown escape keeps both characters";
  EXPECT_EQ(keys.count("Exec"), 0u);
  EXPECT_EQ(EscapeDesktopValue(" a\tb\\ "), "\\sa\\tb\\\\\\s");
}

}  // namespace
}  // namespace quorvane
