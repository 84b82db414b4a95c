// The -i and -d roads run as processes against temporary data and configuration directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "ShellTestSupport.h"
#include "engine/TagsCommaList.h"
#include "platform/SettingsFile.h"
#include "shell/ContextMenu.h"
#include "shell/DesktopEntryText.h"
#include "shell/VerbEntries.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int ExitCode;
  std::string Err;
};

class InstallationProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteSampleMimeData(Data());
    fs::create_directories(Config());
  }

  fs::path Data() const { return dir_.Path() / "data"; }
  fs::path Config() const { return dir_.Path() / "config"; }
  fs::path Applications() const { return Data() / "applications"; }
  fs::path EntryOf(const std::string& mimeType) const {
    return Applications() / TVerbEntries::FileNameOf(mimeType);
  }
  fs::path SettingsFile() const { return Config() / "Brennik" / "Quorvane.conf"; }

  fs::path System() const { return dir_.Path() / "system"; }

  // Runs the program without a terminal, so that nobody is there to answer a question.
  TRun Run(const fs::path& program, const QStringList& args) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString(Data().string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Config().string()));
    env.insert("XDG_DATA_DIRS", QString::fromStdString(System().string() + ":/usr/share"));
    env.insert("LANG", "C");
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("QUORVANE_UI", "console");
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(QString::fromStdString(program.string()), args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
  }
  TRun Run(const QStringList& args) const { return Run(QUORVANE_BINARY, args); }

  // A copy of the program in another directory, with a name that needs quoting.
  fs::path SecondCopy() const {
    const fs::path copy = dir_.Path() / "second \"copy\" $HOME 100%" / "quorvane";
    fs::create_directories(copy.parent_path());
    fs::copy_file(QUORVANE_BINARY, copy);
    return copy;
  }

  std::vector<std::string> EntryFiles() const {
    std::vector<std::string> names;
    if (fs::exists(Applications())) {
      for (const auto& item : fs::directory_iterator(Applications())) {
        if (item.path().extension() == ".desktop") {
          names.push_back(item.path().filename().string());
        }
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::vector<std::string> NamesOf(const TClassList& classes) {
    std::vector<std::string> names;
    for (const std::string& mimeType : classes) {
      names.push_back(TVerbEntries::FileNameOf(mimeType));
    }
    return names;
  }

  // Checks each entry with desktop-file-validate when it is installed.
  void ExpectValidEntries() const {
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) {
      return;
    }
    for (const std::string& name : EntryFiles()) {
      QProcess process;
      process.start(validator, {QString::fromStdString((Applications() / name).string())});
      process.waitForFinished(30000);
      EXPECT_EQ(process.exitCode(), 0) << name << ": " << process.readAll().toStdString();
    }
  }

  std::string MimeCache() const { return test::ReadText(Applications() / "mimeinfo.cache"); }
  static bool HaveDatabaseTool() {
    return !QStandardPaths::findExecutable("update-desktop-database").isEmpty();
  }

  test::TTempDir dir_;
};

TEST_F(InstallationProcess, InstallWritesTheDefaultTagListAndOneEntryPerDocumentType) {
  {
    TSettingsFile settings(SettingsFile().string());
    settings.WriteString("1/7", "BreakTags", "P,1");
    settings.WriteInteger("1/7", "Waittime", 5);
    ASSERT_TRUE(settings.Sync());
  }
  const TRun run = Run({"-k", "-i", "ignored.htm"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  // .htm and .html share text/html, which gets one entry; .shtml has a type of its own here.
  EXPECT_EQ(EntryFiles(), NamesOf({"text/html", "text/x-server-parsed-html"}));
  EXPECT_EQ(test::ReadText(EntryOf("text/html")),
            "[Desktop Entry]\nType=Application\nName=Compress (Quorvane 1.7)\n"
            "Exec=" +
                std::string(QUORVANE_BINARY) +
                " -s %f\nMimeType=text/html;\n"
                "NoDisplay=true\n");
  ExpectValidEntries();
  if (HaveDatabaseTool()) {
    EXPECT_NE(MimeCache().find("text/html=" + TVerbEntries::FileNameOf("text/html")),
              std::string::npos);
  }
  TSettingsFile settings(SettingsFile().string());
  EXPECT_EQ(settings.ReadString("1/7", "BreakTags"), std::string(kDefaultTagListText))
      << "the stored list is replaced";
  EXPECT_EQ(settings.ReadInteger("1/7", "Waittime"), 5) << "other settings stay";

  // A second installation finds its entries in place and leaves them as they are.
  EXPECT_EQ(Run({"-i"}).ExitCode, 0);
  EXPECT_EQ(EntryFiles(), NamesOf({"text/html", "text/x-server-parsed-html"}));
}

TEST_F(InstallationProcess, RemovalTakesOnlyTheEntriesThatRunItsOwnProgramFile) {
  const fs::path copy = SecondCopy();
  test::WriteText(Applications() / "other-editor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n"
                  "MimeType=text/html;\n");
  ASSERT_EQ(Run(copy, {"-i"}).ExitCode, 0);
  const std::string entry = test::ReadText(EntryOf("text/html"));
  EXPECT_EQ(ReadDesktopEntry(entry).at("Exec"), CommandLineForProgram(copy.string()));
  EXPECT_NE(entry.find("\\\\\"copy\\\\\" \\\\$HOME 100%%/quorvane\" -s %f\n"), std::string::npos)
      << "quoted, then escaped as a string value: " << entry;
  ExpectValidEntries();

  // The first program takes over one type; removal by either takes only its own.
  TVerbEntries entries(Applications().string());
  ASSERT_EQ(entries.WriteCommand("text/html", CommandLineForProgram(QUORVANE_BINARY)), 0);
  const TRun first = Run({"-d"});
  EXPECT_EQ(first.ExitCode, 0) << first.Err;
  EXPECT_EQ(EntryFiles(),
            (std::vector<std::string>{"other-editor.desktop",
                                      TVerbEntries::FileNameOf("text/x-server-parsed-html")}));
  EXPECT_EQ(Run({"-d"}).ExitCode, 0) << "nothing left to remove is no failure";

  const TRun second = Run(copy, {"-d"});
  EXPECT_EQ(second.ExitCode, 0) << second.Err;
  EXPECT_EQ(EntryFiles(), std::vector<std::string>{"other-editor.desktop"});
  if (HaveDatabaseTool()) {
    EXPECT_EQ(MimeCache().find(test::kEntryPrefix), std::string::npos) << MimeCache();
  }
}

TEST_F(InstallationProcess, RemovalDeletesTheSettingsKeyAndOnlyTheParentsItLeavesEmpty) {
  const auto settingsWith = [this](const std::vector<std::string>& groups) {
    TSettingsFile settings(SettingsFile().string());
    for (const std::string& group : groups) {
      settings.WriteInteger(group, "Waittime", 1);
    }
    ASSERT_TRUE(settings.Sync());
  };
  settingsWith({"1/7", "1/7/Font", "1/8"});
  EXPECT_EQ(Run({"-d"}).ExitCode, 0);
  {
    TSettingsFile settings(SettingsFile().string());
    EXPECT_FALSE(settings.KeyExists("1/7"));
    EXPECT_EQ(settings.ReadInteger("1/8", "Waittime"), 1) << "another version's key stays";
  }
  fs::remove(SettingsFile());
  settingsWith({"1/7"});
  test::WriteText(Config() / "Brennik" / "Other.conf", "[a]\nb=1\n");
  EXPECT_EQ(Run({"-d"}).ExitCode, 0);
  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_TRUE(fs::exists(Config() / "Brennik" / "Other.conf")) << "another program's settings";

  fs::remove(Config() / "Brennik" / "Other.conf");
  settingsWith({"1/7"});
  EXPECT_EQ(Run({"-d"}).ExitCode, 0);
  EXPECT_FALSE(fs::exists(Config() / "Brennik"));
  EXPECT_TRUE(fs::exists(Config())) << "nothing above the vendor's directory goes";
}

TEST_F(InstallationProcess, TheVerbDoesNotBecomeTheDefaultOpenerOfItsType) {
  if (QStandardPaths::findExecutable("xdg-mime").isEmpty() &&
      QStandardPaths::findExecutable("gio").isEmpty()) {
    GTEST_SKIP() << "no tool tells the desktop's default applications";
  }
  test::WriteText(System() / "applications/browser.desktop",
                  "[Desktop Entry]\nType=Application\nName=Browser\nExec=/bin/true %u\n"
                  "MimeType=text/html;text/x-server-parsed-html;\n");
  test::WriteText(Config() / "mimeapps.list",
                  "[Default Applications]\ntext/x-server-parsed-html=mine.desktop;\n");
  ASSERT_EQ(Run({"-i"}).ExitCode, 0);
  EXPECT_EQ(test::ReadText(Config() / "mimeapps.list"),
            "[Default Applications]\ntext/x-server-parsed-html=mine.desktop;\n"
            "text/html=browser.desktop;\n")
      << "the default that applied is kept; the user's own choice stays";
  EXPECT_EQ(EntryFiles(), NamesOf({"text/html", "text/x-server-parsed-html"}));
}

TEST_F(InstallationProcess, FailuresWithoutATerminalAbortAndEndWithExitCodeOne) {
  test::WriteText(Applications(), "a file where the directory belongs");
  const TRun blocked = Run({"-i"});
  EXPECT_EQ(blocked.ExitCode, 1);
  EXPECT_NE(blocked.Err.find("The context menu entry could not be written. Entry: " +
                             EntryOf("text/html").string()),
            std::string::npos)
      << blocked.Err;
  EXPECT_EQ(std::count(blocked.Err.begin(), blocked.Err.end(), '\n'), 2)
      << "one message and its reason, then the abort: " << blocked.Err;
  EXPECT_TRUE(fs::exists(SettingsFile())) << "the tag list was written before";

  fs::remove(Applications());
  fs::remove_all(Config() / "Brennik");
  test::WriteText(Config() / "Brennik", "a file where the directory belongs");
  const TRun noSettings = Run({"-i"});
  EXPECT_EQ(noSettings.ExitCode, 1);
  EXPECT_NE(noSettings.Err.find("settings"), std::string::npos) << noSettings.Err;
  EXPECT_EQ(EntryFiles(), std::vector<std::string>{}) << "nothing after a refused tag list";
}

}  // namespace
}  // namespace quorvane
