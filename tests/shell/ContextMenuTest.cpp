// Writing, finding and removing the file managers' actions in a temporary home, with the user's
// answers to failures scripted.
#include <gtest/gtest.h>

#include "FakeMessages.h"
#include "ShellTestSupport.h"
#include "shell/ContextMenu.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using Choice = IMessages::TErrorChoice;

constexpr char kCommand[] = "/usr/bin/quorvane -s -l %F";
constexpr char kOtherCommand[] = "/opt/quorvane/quorvane -s -l %F";
constexpr char kPattern[] = "Cannot write. Entry: %s";

class ContextMenuTest : public ::testing::Test {
 protected:
  void SetUp() override { test::RemoveSharedActionFiles(); }
  void TearDown() override {
    EXPECT_TRUE(messages_->ErrorAnswers.empty()) << "questions left unasked";
  }

  static fs::path Data() { return test::SharedHome() / "data"; }

  static bool Write(const TClassList& classes, bool registering = true,
                    const char* command = kCommand) {
    return WriteClassVerbs(classes, registering, kPattern, "Compress (Quorvane 1.7)", command);
  }

  test::TMessagesScope messages_;
  const test::TActionFiles files_ = test::SharedActionFiles();
};

TEST_F(ContextMenuTest, ActionsGatherTheTypesOfTheirOwnProgram) {
  ASSERT_TRUE(Write({"text/x-server-parsed-html", "text/html", "invalid", ""}));
  EXPECT_TRUE(messages_->Errors.empty());
  EXPECT_EQ(fs::status(files_.ServiceMenu()).permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  EXPECT_EQ(FindRegisteredClasses(kCommand),
            (TClassList{"text/html", "text/x-server-parsed-html"}));
  EXPECT_EQ(FindRegisteredClasses("\"/usr/bin/quorvane\" -s -l %F"),
            (TClassList{"text/html", "text/x-server-parsed-html"}))
      << "the program counts, not how its path is quoted";
  EXPECT_EQ(FindRegisteredClasses(kOtherCommand), TClassList{});

  ASSERT_TRUE(Write({"text/css"}));
  EXPECT_EQ(FindRegisteredClasses(kCommand),
            (TClassList{"text/css", "text/html", "text/x-server-parsed-html"}))
      << "registering adds to what the program's actions offer";
  ASSERT_TRUE(Write({"text/html", "text/plain"}, false));
  EXPECT_EQ(FindRegisteredClasses(kCommand), (TClassList{"text/css", "text/x-server-parsed-html"}));
  ASSERT_TRUE(Write({"text/css", "text/html"}, false, kOtherCommand))
      << "another program file's removal leaves them";
  EXPECT_EQ(FindRegisteredClasses(kCommand), (TClassList{"text/css", "text/x-server-parsed-html"}));

  ASSERT_TRUE(Write({"text/css", "text/x-server-parsed-html"}, false));
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{});
}

TEST_F(ContextMenuTest, AnotherCopyTakesTheActionOverAndACaptionChangeRenamesTheScript) {
  ASSERT_TRUE(Write({"text/html"}));
  ASSERT_TRUE(WriteClassVerbs({"text/css"}, true, kPattern, "Shrink", kOtherCommand));
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{});
  EXPECT_EQ(FindRegisteredClasses(kOtherCommand), TClassList{"text/css"})
      << "one action per file manager, shared by every copy";
  EXPECT_FALSE(fs::exists(files_.Script()));
  EXPECT_TRUE(fs::exists(files_.Script("Shrink")));

  test::WriteBytes(files_.Script(), "#!/bin/sh\necho the user's own\n");
  messages_->ErrorAnswers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/html"}));
  EXPECT_EQ(test::ReadBytes(files_.Script()), "#!/bin/sh\necho the user's own\n")
      << "a script of the user's that has the caption's name stays";
  ASSERT_EQ(messages_->Errors.size(), 1u);
  EXPECT_NE(messages_->Errors[0].find(files_.Script().string()), std::string::npos);
}

TEST_F(ContextMenuTest, RetryRepeatsTheFailedFileIgnorePassesItOverAbortEndsEverything) {
  // A directory where the file belongs: no rename replaces it, not even for root.
  fs::create_directories(files_.ServiceMenu() / "blocker");
  messages_->ErrorAnswers.push_back({Choice::Retry, {}});
  messages_->ErrorAnswers.push_back(
      {Choice::Retry, [this] { fs::remove_all(files_.ServiceMenu()); }});
  EXPECT_TRUE(Write({"text/html"}));
  ASSERT_EQ(messages_->Errors.size(), 2u);
  const std::string expected = "Cannot write. Entry: " + files_.ServiceMenu().string() + "\r";
  EXPECT_EQ(messages_->Errors[0].substr(0, expected.size()), expected);
  EXPECT_GT(messages_->Errors[0].size(), expected.size()) << "the system's reason follows";
  EXPECT_EQ(messages_->ErrorCaptions[0], "Quorvane");
  EXPECT_TRUE(fs::is_regular_file(files_.ServiceMenu()));

  ASSERT_TRUE(Write({"text/html"}, false));
  fs::create_directories(files_.ServiceMenu() / "blocker");
  messages_->ErrorAnswers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/html"}));
  EXPECT_TRUE(fs::exists(files_.NemoAction())) << "the next file managers get theirs";

  ASSERT_TRUE(Write({"text/html"}, false));
  messages_->ErrorAnswers.push_back({Choice::Abort, {}});
  EXPECT_FALSE(Write({"text/html"}));
  EXPECT_FALSE(fs::exists(Data() / "nautilus")) << "nothing after the abort is written";
}

TEST_F(ContextMenuTest, AUserFileThatCannotBeReadIsLeftAsItIsAndAskedAbout) {
  test::WriteBytes(files_.Thunar(), "<actions><action><unique-id>" +
                                        std::string(test::kActionName) +
                                        "</unique-id></action>");  // its end is missing
  const std::string before = test::ReadBytes(files_.Thunar());
  messages_->ErrorAnswers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/html"}));
  messages_->ErrorAnswers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/html"}, false));
  ASSERT_EQ(messages_->Errors.size(), 2u);
  EXPECT_NE(messages_->Errors[1].find(files_.Thunar().string()), std::string::npos);
  EXPECT_EQ(test::ReadBytes(files_.Thunar()), before);
  EXPECT_FALSE(fs::exists(files_.NemoAction())) << "the others are removed all the same";
}

// The caption is Windows-1252, as the program's texts are.
TEST_F(ContextMenuTest, TheCaptionIsHeldForTheProcessAndStoredAsUtf8) {
  SetContextMenuCaption("Gr\xF6\xDF/klein");
  const std::string utf8 = "Gr\xC3\xB6\xC3\x9F";
  ASSERT_TRUE(RegisterContextMenu({"text/html"}, true));
  EXPECT_NE(test::ReadBytes(files_.ServiceMenu()).find("\nName=" + utf8 + "/klein\n"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(files_.Script(utf8 + "-klein"))) << "no directory in the name";
  EXPECT_EQ(FindRegisteredClasses(ContextMenuCommandLine()), TClassList{"text/html"});
  ASSERT_TRUE(RegisterContextMenu({"text/html"}, false));
  SetContextMenuCaption("Compress (Quorvane 1.7)");
}

}  // namespace
}  // namespace quorvane
