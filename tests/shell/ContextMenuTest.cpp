// Writing, finding and removing verb entries in a temporary data directory, with the user's
// answers to failures scripted.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <memory>

#include "ShellTestSupport.h"
#include "shell/ContextMenu.h"
#include "shell/VerbEntries.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using Choice = IMessages::TErrorChoice;

// Answers each failure with the next scripted choice, after running its action.
class TScriptedMessages : public IMessages {
 public:
  struct TAnswer {
    Choice Answer;
    std::function<void()> Before;
  };
  std::deque<TAnswer> Answers;
  std::vector<std::string> Asked;
  std::vector<std::string> Captions;

  void Error(const QString&) override {}
  void Information(const QString&, const QString&) override {}
  bool AskYesNo(const QString&, const QString&) override { return true; }
  IMessages::TAnswer AskYesNoCancel(const QString&, const QString&) override {
    return IMessages::TAnswer::Cancel;
  }
  TErrorChoice AskAbortRetryIgnore(const QString& text, const QString& caption) override {
    Asked.push_back(text.toStdString());
    Captions.push_back(caption.toStdString());
    if (Answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return Choice::Abort;
    }
    TAnswer answer = std::move(Answers.front());
    Answers.pop_front();
    if (answer.Before) {
      answer.Before();
    }
    return answer.Answer;
  }
};

constexpr char kCommand[] = "/usr/bin/quorvane -s %f";
constexpr char kPattern[] = "Cannot write. Entry: %s";

class ContextMenuTest : public ::testing::Test {
 protected:
  // The MIME database reads the data directories once per process, so all tests share one.
  static void SetUpTestSuite() {
    home_ = std::make_unique<test::TTempDir>();
    ::setenv("XDG_DATA_HOME", home_->Path().c_str(), 1);
    // Registering may record the desktop's default applications in the user's configuration.
    ::setenv("XDG_CONFIG_HOME", (home_->Path() / "config").c_str(), 1);
    test::WriteSampleMimeData(home_->Path());
  }
  static void TearDownTestSuite() { home_.reset(); }

  void SetUp() override {
    fs::remove_all(Applications());
    auto messages = std::make_unique<TScriptedMessages>();
    messages_ = messages.get();
    SetMessages(std::move(messages));
  }
  void TearDown() override {
    EXPECT_TRUE(messages_->Answers.empty()) << "questions left unasked";
    SetMessages(std::make_unique<TConsoleMessages>());
  }

  static fs::path Applications() { return home_->Path() / "applications"; }
  static fs::path EntryOf(const std::string& mimeType) {
    return Applications() / TVerbEntries::FileNameOf(mimeType);
  }
  // Puts a directory where the entry's file belongs, which neither a rename nor an unlink
  // replaces, not even for root.
  static void Block(const std::string& mimeType) {
    fs::create_directories(EntryOf(mimeType) / "blocker");
  }
  static void Unblock(const std::string& mimeType) { fs::remove_all(EntryOf(mimeType)); }

  static bool Write(const TClassList& classes, bool registering = true) {
    return WriteClassVerbs(classes, registering, kPattern, "Compress (Quorvane 1.7)", kCommand);
  }

  static inline std::unique_ptr<test::TTempDir> home_;
  TScriptedMessages* messages_ = nullptr;
};

TEST_F(ContextMenuTest, ExtensionsNameTheirDocumentTypesOnce) {
  EXPECT_EQ(ClassesOfExtensions({".htm", ".html", "HTML", ".shtml", ".no-such-extension", ""}),
            (TClassList{"text/html", "text/x-server-parsed-html"}));
  EXPECT_EQ(DefaultExtensionClasses(), (TClassList{"text/html", "text/x-server-parsed-html"}));
}

TEST_F(ContextMenuTest, EntriesAreFoundByTheirExactCommandAndRemovedOneByOne) {
  ASSERT_TRUE(Write({"text/x-server-parsed-html", "text/html", "invalid", ""}));
  EXPECT_TRUE(messages_->Asked.empty());
  EXPECT_EQ(test::ReadText(EntryOf("text/html")),
            "[Desktop Entry]\nType=Application\nName=Compress (Quorvane 1.7)\n"
            "Exec=/usr/bin/quorvane -s %f\nMimeType=text/html;\nNoDisplay=true\n");
  EXPECT_EQ(FindRegisteredClasses(kCommand),
            (TClassList{"text/html", "text/x-server-parsed-html"}));
  EXPECT_EQ(FindRegisteredClasses("\"/usr/bin/quorvane\" -s %f"),
            (TClassList{"text/html", "text/x-server-parsed-html"}));
  EXPECT_EQ(FindRegisteredClasses("/opt/quorvane -s %f"), TClassList{});
  EXPECT_EQ(std::distance(fs::directory_iterator(Applications()), fs::directory_iterator()),
            fs::exists(Applications() / "mimeinfo.cache") ? 3 : 2)
      << "nothing for the invalid names, no temporary files";

  ASSERT_TRUE(Write({"text/html", "text/plain"}, false)) << "a type without entry is passed over";
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{"text/x-server-parsed-html"});
}

TEST_F(ContextMenuTest, RetryRepeatsTheFailedStepUntilItSucceeds) {
  test::WriteText(Applications(), "not a directory");
  messages_->Answers.push_back({Choice::Retry, {}});
  messages_->Answers.push_back({Choice::Retry, [] { fs::remove(Applications()); }});
  EXPECT_TRUE(Write({"text/html"}));
  ASSERT_EQ(messages_->Asked.size(), 2u);
  const std::string expected = "Cannot write. Entry: " + EntryOf("text/html").string() + "\r";
  EXPECT_EQ(messages_->Asked[0].substr(0, expected.size()), expected);
  EXPECT_GT(messages_->Asked[0].size(), expected.size()) << "the system's reason follows";
  EXPECT_EQ(messages_->Captions[0], "Quorvane");
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{"text/html"});
}

TEST_F(ContextMenuTest, IgnorePassesTheClassOverAndAbortEndsEverything) {
  Block("text/html");
  messages_->Answers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/html", "text/plain"}));
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{"text/plain"});

  messages_->Answers.push_back({Choice::Abort, {}});
  EXPECT_FALSE(Write({"text/css", "text/html", "text/xml"}));
  EXPECT_EQ(FindRegisteredClasses(kCommand), (TClassList{"text/css", "text/plain"}))
      << "what came before the abort stays, nothing after it is written";
  EXPECT_EQ(messages_->Asked.size(), 2u);
}

TEST_F(ContextMenuTest, FailedRemovalsAreAskedAboutToo) {
  ASSERT_TRUE(Write({"text/css", "text/plain"}));
  Block("text/html");
  messages_->Answers.push_back({Choice::Ignore, {}});
  EXPECT_TRUE(Write({"text/css", "text/html", "text/plain"}, false));
  EXPECT_EQ(FindRegisteredClasses(kCommand), TClassList{});

  messages_->Answers.push_back({Choice::Retry, [] { Unblock("text/html"); }});
  Block("text/html");
  EXPECT_TRUE(Write({"text/html"}, false));
  EXPECT_FALSE(fs::exists(EntryOf("text/html")));
}

TEST_F(ContextMenuTest, TheCaptionIsHeldForTheProcess) {
  SetContextMenuCaption("Shrink it");
  EXPECT_EQ(ContextMenuCaption(), "Shrink it");
  ASSERT_TRUE(RegisterContextMenu({"text/html"}, true));
  EXPECT_NE(test::ReadText(EntryOf("text/html")).find("\nName=Shrink it\n"), std::string::npos);
  SetContextMenuCaption(
      "Gr\xF6\xDF"
      "er");  // Windows-1252 text, stored as UTF-8
  ASSERT_TRUE(RegisterContextMenu({"text/html"}, true));
  EXPECT_NE(test::ReadText(EntryOf("text/html"))
                .find("\nName=Gr\xC3\xB6\xC3\x9F"
                      "er\n"),
            std::string::npos);
  EXPECT_EQ(FindRegisteredClasses(ContextMenuCommandLine()), TClassList{"text/html"});
}

}  // namespace
}  // namespace quorvane
