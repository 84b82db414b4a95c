// The -i and -d roads run as processes against temporary data and configuration directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "ShellTestSupport.h"
#include "engine/TagsCommaList.h"
#include "platform/SettingsFile.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int ExitCode;
  std::string Err;
};

// A user's Thunar actions as Thunar writes them.
constexpr char kUserActions[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n\t<icon>utilities-terminal"
    "</icon>\n\t<name>Open Terminal Here</name>\n\t<unique-id>1671863021510925-1</unique-id>\n"
    "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
    "\t<description>Example &amp; more</description>\n\t<patterns>*</patterns>\n"
    "\t<startup-notify/>\n\t<directories/>\n</action>\n</actions>\n";

class InstallationProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteSampleMimeData(Data());
    fs::create_directories(Config());
  }

  fs::path Data() const { return dir_ / "data"; }
  fs::path Config() const { return dir_ / "config"; }
  fs::path System() const { return dir_ / "system"; }
  fs::path SettingsFile() const { return Config() / "Brennik" / "Quorvane.conf"; }
  fs::path OldEntry(const std::string& type) const {
    return Data() / "applications" / (std::string(test::kActionName) + "-" + type + ".desktop");
  }

  // Runs the program without a terminal, so that nobody is there to answer a question.
  TRun Run(const QStringList& args) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString(Data().string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Config().string()));
    env.insert("XDG_CONFIG_DIRS", QString::fromStdString(System().string()));
    env.insert("LANG", "C");
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("QUORVANE_UI", "console");
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(QUORVANE_BINARY, args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
  }

  // Every file and directory below the data and configuration directories with its mode and
  // content.
  std::string Tree() const {
    std::string tree;
    for (const fs::path& top : {Data(), Config()}) {
      for (const auto& item : fs::recursive_directory_iterator(top)) {
        tree += item.path().string() + " " +
                std::to_string(static_cast<int>(item.symlink_status().permissions())) + "\n";
        if (item.is_regular_file()) {
          tree += test::ReadBytes(item.path()) + "\n";
        }
      }
    }
    return tree;
  }

  // The user's actions without the closing tag, after which the program's follow.
  static std::string UserActionsHead() {
    return std::string(kUserActions, std::string_view(kUserActions).rfind("</actions>"));
  }

  static std::string OldEntryText(const std::string& exec) {
    return "[Desktop Entry]\nType=Application\nName=Compress\nExec=" + exec +
           "\nMimeType=text/html;\nNoDisplay=true\n";
  }

  test::TTempDir dir_;
  const test::TActionFiles files_{Data(), Config()};
};

// Other versions' settings and other programs' entries stay through an installation and a
// removal.
TEST_F(InstallationProcess, InstallWritesTheTagListAndTheActionsAndRemovalTakesOnlyItsOwn) {
  {
    TSettingsFile settings(SettingsFile().string());
    settings.WriteString("1/7", "BreakTags", "P,1");
    settings.WriteInteger("1/7", "Waittime", 5);
    settings.WriteInteger("1/8", "Waittime", 1);
    ASSERT_TRUE(settings.Sync());
  }
  const std::string mimeapps = "[Default Applications]\ntext/html=browser.desktop;\n";
  test::WriteBytes(Config() / "mimeapps.list", mimeapps);
  test::WriteBytes(Data() / "applications/other-editor.desktop", OldEntryText("other %f"));
  test::WriteBytes(OldEntry("text-css"), OldEntryText("/opt/old/quorvane -s %f"));
  const TRun run = Run({"-k", "-i", "ignored.htm"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  // .htm and .html share text/html; .shtml has a type of its own here. How each file manager
  // runs its action: the action command tests.
  const std::string menu = test::ReadBytes(files_.ServiceMenu());
  EXPECT_NE(menu.find("\nMimeType=text/html;text/x-server-parsed-html;\n"), std::string::npos)
      << menu;
  EXPECT_NE(menu.find("\nName=Compress (Quorvane 1.7)\n"), std::string::npos) << menu;
  {
    TSettingsFile settings(SettingsFile().string());
    EXPECT_EQ(settings.ReadString("1/7", "BreakTags"), std::string(kDefaultTagListText))
        << "the stored list is replaced";
    EXPECT_EQ(settings.ReadInteger("1/7", "Waittime"), 5) << "other settings stay";
  }
  EXPECT_FALSE(fs::exists(OldEntry("text-css"))) << "the new actions replace every old entry";
  EXPECT_TRUE(fs::exists(Data() / "applications/other-editor.desktop"));

  const std::string tree = Tree();
  EXPECT_EQ(Run({"-i"}).ExitCode, 0);
  EXPECT_EQ(Tree(), tree) << "a second installation finds everything in place";

  test::WriteBytes(OldEntry("text-html"), OldEntryText(QUORVANE_BINARY " -s %f"));
  test::WriteBytes(OldEntry("text-css"), OldEntryText("/opt/old/quorvane -s %f"));
  EXPECT_EQ(Run({"-d"}).ExitCode, 0);
  EXPECT_FALSE(fs::exists(OldEntry("text-html")));
  EXPECT_TRUE(fs::exists(OldEntry("text-css"))) << "removal takes only its own program's";
  EXPECT_EQ(test::ReadBytes(Config() / "mimeapps.list"), mimeapps);
  TSettingsFile settings(SettingsFile().string());
  EXPECT_FALSE(settings.KeyExists("1/7"));
  EXPECT_EQ(settings.ReadInteger("1/8", "Waittime"), 1) << "another version's key stays";
}

TEST_F(InstallationProcess, InstallThenRemoveLeavesTheUsersFoldersAsTheyWere) {
  test::WriteBytes(files_.Thunar(), kUserActions);
  test::WriteBytes(Data() / "nautilus/scripts/Mine", "#!/bin/sh\necho mine\n");
  test::WriteBytes(Data() / "kio/servicemenus/mine.desktop", "[Desktop Entry]\nType=Service\n");
  test::WriteBytes(Config() / "mimeapps.list", "[Default Applications]\ntext/html=b.desktop;\n");
  const std::string before = Tree();
  ASSERT_EQ(Run({"-i"}).ExitCode, 0);
  ASSERT_NE(Tree(), before);
  const TRun removal = Run({"-d"});
  EXPECT_EQ(removal.ExitCode, 0) << removal.Err;
  EXPECT_EQ(Tree(), before);

  // Without a file of their own the system's actions apply; the file made from them goes again.
  fs::remove_all(Config());
  fs::remove_all(Data() / "nautilus");
  fs::remove_all(Data() / "kio");
  fs::create_directories(Config());
  test::WriteBytes(System() / "Thunar/uca.xml", kUserActions);
  const std::string fresh = Tree();
  ASSERT_EQ(Run({"-i"}).ExitCode, 0);
  EXPECT_TRUE(test::ReadBytes(files_.Thunar()).starts_with(UserActionsHead()))
      << "the system's actions stay offered";
  ASSERT_EQ(Run({"-d"}).ExitCode, 0);
  EXPECT_EQ(Tree(), fresh);
}

TEST_F(InstallationProcess, FailuresWithoutATerminalAbortAndEndWithExitCodeOne) {
  test::WriteBytes(Data() / "kio", "a file where the directory belongs");
  const TRun blocked = Run({"-i"});
  EXPECT_EQ(blocked.ExitCode, 1);
  EXPECT_NE(blocked.Err.find("The context menu entry could not be written. Entry: " +
                             files_.ServiceMenu().string()),
            std::string::npos)
      << blocked.Err;
  EXPECT_EQ(std::count(blocked.Err.begin(), blocked.Err.end(), '\n'), 2)
      << "one message and its reason, then the abort: " << blocked.Err;
  EXPECT_TRUE(fs::exists(SettingsFile())) << "the tag list was written before";
  EXPECT_FALSE(fs::exists(Data() / "nautilus")) << "nothing after the abort";

  fs::remove(Data() / "kio");
  fs::remove_all(Config() / "Brennik");
  test::WriteBytes(Config() / "Brennik", "a file where the directory belongs");
  const TRun noSettings = Run({"-i"});
  EXPECT_EQ(noSettings.ExitCode, 1);
  EXPECT_NE(noSettings.Err.find("settings"), std::string::npos) << noSettings.Err;
  EXPECT_FALSE(fs::exists(Data() / "kio")) << "nothing after a refused tag list";
}

}  // namespace
}  // namespace quorvane
