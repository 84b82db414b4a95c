// The batch tool run as a process on temporary trees.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"
#include "platform/Files.h"
#include "support/UnicodeText.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using test::kCompressed;
using test::kPage;
using test::Read;
using test::Write;

struct TRun {
  int exitCode;
  std::string out;
  std::string err;
};

class BatchProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("quorvane-batch-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "config");
    site = root / "site";
    fs::create_directories(site);
  }
  void TearDown() override {
    // Read-only directories of a test must not keep their files from going.
    for (auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_directory() && !entry.is_symlink()) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
      }
    }
    fs::remove_all(root);
  }

  TRun Run(const QStringList& args, int timeoutMs = 60000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env.insert("XDG_STATE_HOME", QString::fromStdString((root / "state").string()));
    env.insert("LANG", "C");
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("QUORVANE_UI", "console");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(site.string()));
    if (asNobody && ::geteuid() == 0) {
      process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
          ::_exit(77);
        }
      });
    }
    process.start(QUORVANE_BINARY, args);
    process.waitForFinished(timeoutMs);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
  }

  static QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

  fs::path root;
  fs::path site;
  bool asNobody = false;  // as root: run the program as the user nobody, who owns the tree
};

TEST_F(BatchProcess, HelpAndSwitchErrorsEndWithCodeZero) {
  TRun help = Run({"-h"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("params for batchmode:\n-h show this help\n"), std::string::npos);
  for (const char* bad : {"-R", "-x", "-ak"}) {
    TRun error = Run({bad, "a.htm"});
    EXPECT_EQ(error.exitCode, 0) << bad;
    EXPECT_NE(error.err.find("-r recursive into subdirs"), std::string::npos) << bad;
  }
  TRun empty = Run({"-k", "-r"});  // switches without paths: nothing to do
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out + empty.err, "");
}

TEST_F(BatchProcess, CompressesMatchingFilesAndPrintsStatistics) {
  Write(site / "a.htm", kPage);
  Write(site / "b.htm", kPage);
  Write(site / "c.txt", kPage);
  Write(site / "-k", kPage);  // a path after the first path, however it looks
  TRun run = Run({"*.htm", "-k"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  EXPECT_EQ(Read(site / "b.htm"), kCompressed);
  EXPECT_EQ(Read(site / "c.txt"), kPage);
  EXPECT_EQ(Read(site / "-k"), kCompressed);
  EXPECT_NE(run.out.find("a.htm: 27 % (16 Characters)"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
}

TEST_F(BatchProcess, RecursionEntersOnlyPlainWritableDirectories) {
  for (const char* file : {"a.htm", "sub/b.htm", "sub/deep/c.htm", ".hidden/d.htm", "locked/e.htm",
                           ".f.htm", "sub/g.html"}) {
    Write(site / file, kPage);
  }
  fs::create_directory_symlink(site / "sub", site / "link");
  fs::permissions(site / "locked", fs::perms::owner_write, fs::perm_options::remove);
  TRun run = Run({"-r", Q(site / "*.htm")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  EXPECT_EQ(Read(site / "sub/b.htm"), kCompressed);
  EXPECT_EQ(Read(site / "sub/deep/c.htm"), kCompressed);
  for (const char* untouched : {".hidden/d.htm", "locked/e.htm", ".f.htm", "sub/g.html"}) {
    EXPECT_EQ(Read(site / untouched), kPage) << untouched;
  }
  // Each file once: the symbolic link to "sub" is not entered.
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
}

TEST_F(BatchProcess, ReadOnlyFilesAndMissingDirectoriesAreReported) {
  Write(site / "ro.htm", kPage);
  fs::permissions(site / "ro.htm",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  TRun run = Run({Q(site / "ro.htm"), Q(root / "nowhere" / "*.htm")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Read(site / "ro.htm"), kPage);
  EXPECT_NE(run.err.find((site / "ro.htm").string()), std::string::npos) << run.err;
  EXPECT_NE(run.err.find((root / "nowhere").string() + "/"), std::string::npos) << run.err;
}

TEST_F(BatchProcess, KeepsDatesToTheNanosecondAndLeavesUnchangedFilesAlone) {
  Write(site / "a.htm", kPage);
  Write(site / "done.htm", kCompressed);
  const TFileTime old{1'500'000'000, 123'456'789};
  ASSERT_TRUE(SetFileTime((site / "a.htm").string(), old));
  ASSERT_TRUE(SetFileTime((site / "done.htm").string(), old));
  struct stat before {};
  ::stat((site / "done.htm").c_str(), &before);

  TRun run = Run({"-k", "a.htm", "done.htm"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  const auto kept = GetFileTime((site / "a.htm").string());
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Seconds, old.Seconds);
  EXPECT_EQ(kept->Nanoseconds, old.Nanoseconds);

  Run({"done.htm"});  // nothing to compress: not rewritten, so the date stays
  struct stat after {};
  ::stat((site / "done.htm").c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(GetFileTime((site / "done.htm").string())->Nanoseconds, old.Nanoseconds);
}

TEST_F(BatchProcess, Utf16PagesComeOutInTheirOwnEncodingWithTheUtf8Result) {
  const std::string page =
      "<html>\r\n<body>\r\n  <p> Gr\xC3\xBC\xC3\x9F"
      "e   \xF0\x9F\x98\x80 </p>\r\n</body>\r\n</html>\r\n";
  Write(site / "utf8.htm", page);
  Write(site / "le.htm", EncodeUnicode(page, TUnicodeForm::Utf16Le));
  Write(site / "be.htm", EncodeUnicode(page, TUnicodeForm::Utf16Be));
  const std::string broken = EncodeUnicode(page, TUnicodeForm::Utf16Le) + "\x20";
  Write(site / "odd.htm", broken);
  TRun run = Run({"*.htm"});
  const std::string compressed = Read(site / "utf8.htm");
  EXPECT_EQ(compressed,
            "<html><body><p>Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x98\x80</p></body></html>");
  EXPECT_EQ(Read(site / "le.htm"), EncodeUnicode(compressed, TUnicodeForm::Utf16Le));
  EXPECT_EQ(Read(site / "be.htm"), EncodeUnicode(compressed, TUnicodeForm::Utf16Be));
  // The statistics count the page's own bytes: two for each character saved.
  EXPECT_NE(run.out.find("utf8.htm: 26 % (16 Characters)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("le.htm: 28 % (32 Characters)"), std::string::npos) << run.out;
  EXPECT_EQ(Read(site / "odd.htm"), broken);
  EXPECT_NE(run.err.find("odd.htm"), std::string::npos) << run.err;
}

TEST_F(BatchProcess, ArchiveModesUseTheMarkOfTheLastRun) {
  Write(site / "a.htm", kPage);
  if (!UserXattrsSupported((site / "a.htm").string())) {
    GTEST_SKIP() << "no user extended attributes on " << site;
  }
  Run({"-m", "a.htm"});
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  EXPECT_FALSE(ArchiveAttributeSet((site / "a.htm").string()));

  Write(site / "a.htm", kPage);  // changed since: compressed again, mark kept by -a
  Run({"-a", "a.htm"});
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  EXPECT_TRUE(ArchiveAttributeSet((site / "a.htm").string()));

  ClearArchiveAttribute((site / "a.htm").string());
  Write(site / "b.htm", kPage);
  ClearArchiveAttribute((site / "b.htm").string());
  Run({"-a", "b.htm"});
  EXPECT_EQ(Read(site / "b.htm"), kPage);  // unchanged since marked: skipped
}

// Root reads every file: the program runs as the user nobody, who owns the tree.
TEST_F(BatchProcess, UnreadableFileIsReportedAndLeftAlone) {
  Write(site / "secret.htm", kPage);
  fs::permissions(site / "secret.htm", fs::perms::owner_read, fs::perm_options::remove);
  asNobody = true;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (::geteuid() == 0) {
      ASSERT_EQ(::lchown(entry.path().c_str(), 65534, 65534), 0);
    }
  }
  TRun run = Run({"secret.htm"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.err.find("secret.htm"), std::string::npos) << run.err;
  fs::permissions(site / "secret.htm", fs::perms::owner_read, fs::perm_options::add);
  EXPECT_EQ(Read(site / "secret.htm"), kPage);
}

TEST_F(BatchProcess, NonsenseSettingsGiveDefaultsAndAWarning) {
  Write(root / "config/Brennik/Quorvane.conf",
        "[1]\n7\\Waittime=lots\n\x01\x02 garbage ]]][\n[1/7]\nBreakTags=\"\n");
  Write(site / "a.htm", kPage);
  TRun run = Run({"a.htm"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.err.empty());
  EXPECT_NE(Read(site / "a.htm"), kPage);
}

TEST_F(BatchProcess, ProtectsCodeUnlessStrictAndNamesPagesLeftUnchanged) {
  const std::string code = "<pre class=\"py\">\n  if x:\n      y()\n</pre>\n<p> a </p>";
  const std::string open = "<p> a </p><#quorvane include=\"part.htm\">no end\n";
  Write(site / "code.htm", code);
  Write(site / "open.htm", open);
  TRun run = Run({"code.htm", "open.htm"});
  EXPECT_EQ(Read(site / "code.htm"), "<pre class=\"py\">\n  if x:\n      y()\n</pre><p>a</p>");
  EXPECT_EQ(Read(site / "open.htm"), open);
  EXPECT_NE(run.err.find("open.htm was left unchanged: an include directive in it has no closing"),
            std::string::npos)
      << run.err;

  Write(root / "config/Brennik/Quorvane.conf", "[1/7]\nStrictPre=1\n");
  Write(site / "code.htm", code);
  Run({"code.htm"});
  EXPECT_EQ(Read(site / "code.htm"), "<pre class=\"py\">if x:\ny()</pre><p>a</p>");
}

TEST_F(BatchProcess, AsRootIncludesOnlyWhatThePagesOwnerCouldRead) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root reads on behalf of another user";
  }
  Write(site / "secret.txt", "SECRET");
  ::chmod((site / "secret.txt").c_str(), 0600);
  Write(site / "page.htm", "<#quorvane include=\"secret.txt\"></#quorvane> ");
  ASSERT_EQ(::chown((site / "page.htm").c_str(), 65534, 65534), 0);
  fs::permissions(root, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  fs::permissions(site, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  Run({"page.htm"});
  EXPECT_EQ(Read(site / "page.htm"),
            "<#quorvane include=\"secret.txt\">file secret.txt cannot be opened</#quorvane>");
}

TEST_F(BatchProcess, InterruptLeavesEveryFileOldOrNew) {
  const std::string big = [] {
    std::string page;
    while (page.size() < (8u << 20)) {
      page += kPage;
    }
    return page;
  }();
  for (int i = 0; i < 6; ++i) {
    Write(site / (std::to_string(i) + ".htm"), big);
  }
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", Q(root / "config"));
  env.insert("XDG_STATE_HOME", Q(root / "state"));
  env.insert("QUORVANE_UI", "console");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(Q(site));
  process.start(QUORVANE_BINARY, {"*.htm"});
  ASSERT_TRUE(process.waitForStarted());
  // The first statistics line shows that the program watches for the signal by now.
  ASSERT_TRUE(process.waitForReadyRead(60000));
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0);
  int compressed = 0;
  for (const auto& entry : fs::directory_iterator(site)) {
    const std::string name = entry.path().filename().string();
    ASSERT_NE(name[0], '.') << "temporary file left: " << name;
    const std::string content = Read(entry.path());
    ASSERT_TRUE(content == big || content.find("\r\n") == std::string::npos) << name;
    compressed += content != big;
  }
  EXPECT_LT(compressed, 6);
}

}  // namespace
}  // namespace quorvane
