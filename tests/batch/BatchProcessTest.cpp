// The batch tool run as a process on temporary trees.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env.insert("XDG_STATE_HOME", QString::fromStdString((root / "state").string()));
    env.insert("LANG", "C");
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("QUORVANE_UI", "console");
    return env;
  }

  // Runs the program in `site`, with `input` on its standard input; a run that does not end
  // in time is killed and gives the exit code -1.
  TRun Run(const QStringList& args, const std::string& input = {},
           const QProcessEnvironment& env = {}) {
    QProcess process;
    process.setProcessEnvironment(env.isEmpty() ? Environment() : env);
    process.setWorkingDirectory(QString::fromStdString(site.string()));
    if (asNobody && ::geteuid() == 0) {
      process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
          ::_exit(77);
        }
      });
    }
    process.start(QUORVANE_BINARY, args);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
      process.kill();
      process.waitForFinished();
      return {-1, {}, {}};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
  }

  static QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

  fs::path root;
  fs::path site;
  bool asNobody = false;  // as root: run the program as the user nobody, who owns the tree
};

TEST_F(BatchProcess, HelpVersionAndUsageErrors) {
  for (const char* help : {"-h", "--help"}) {
    TRun run = Run({help});
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_NE(run.out.find("params for batchmode:\n-h show this help\n"), std::string::npos);
    EXPECT_NE(run.out.find("exit codes: 0"), std::string::npos);
    EXPECT_EQ(run.err, "");
  }
  TRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "quorvane 1.7.0\n");
  // Unknown or malformed switches, -o without its directory: the help on standard error.
  for (const QStringList& bad :
       {QStringList{"-R", "a.htm"}, QStringList{"-x"}, QStringList{"-ak"}, QStringList{"-help"},
        QStringList{"-o"}, QStringList{"-o", "-k", "a.htm"}}) {
    TRun error = Run(bad);
    EXPECT_EQ(error.exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_EQ(error.out, "");
    EXPECT_NE(error.err.find("-r recursive into subdirs"), std::string::npos);
  }
  TRun empty = Run({"-k", "-r"});  // switches without paths: nothing to do
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out + empty.err, "");

  Write(site / "-k.htm", kPage);  // after "--" a path however it looks
  TRun dashed = Run({"-q", "--", "-k.htm"});
  EXPECT_EQ(dashed.exitCode, 0) << dashed.err;
  EXPECT_EQ(Read(site / "-k.htm"), kCompressed);

  // No arguments and no display: the editor cannot open, and says so.
  QProcessEnvironment noDisplay = Environment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    noDisplay.remove(name);
  }
  for (const char* platform : {"", "xcb"}) {  // a platform that needs a display it lacks
    if (*platform != '\0') {
      noDisplay.insert("QT_QPA_PLATFORM", platform);
    }
    TRun editor = Run({}, {}, noDisplay);
    EXPECT_EQ(editor.exitCode, 1) << platform;
    EXPECT_NE(editor.err.find("quorvane -h"), std::string::npos) << editor.err;
  }
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
  EXPECT_NE(run.out.find("\n3 files, "), std::string::npos) << run.out;
}

TEST_F(BatchProcess, EveryFailureIsReportedAndEndsWithCodeOne) {
  Write(site / "a.htm", kPage);
  Write(site / "ro.htm", kPage);
  fs::permissions(site / "ro.htm",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  struct TCase {
    QStringList args;
    std::string named;  // what the message names
  };
  const TCase failures[] = {{{"a.htm", Q(site / "ro.htm")}, (site / "ro.htm").string()},
                            {{"a.htm", Q(root / "nowhere" / "*.htm")}, (root / "nowhere").string()},
                            {{"a.htm", "misspelt.htm"}, "misspelt.htm"}};
  for (const TCase& failure : failures) {
    Write(site / "a.htm", kPage);
    TRun run = Run(failure.args);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(Read(site / "a.htm"), kCompressed) << "the other files are still done";
    EXPECT_NE(run.err.find(failure.named), std::string::npos) << run.err;
  }
  EXPECT_EQ(Read(site / "ro.htm"), kPage);
  TRun nothing = Run({"*.nomatch", "-"}, "");  // a mask that matches nothing is no failure
  EXPECT_EQ(nothing.exitCode, 0);
  EXPECT_EQ(nothing.out, "");
  EXPECT_EQ(nothing.err.find("nomatch"), std::string::npos) << nothing.err;
}

TEST_F(BatchProcess, DirectoriesMeanTheirPagesAndOutputMirrorsTheTree) {
  for (const char* file : {"a.htm", "b.html", "c.shtml", "sub/d.htm", ".hidden/e.htm"}) {
    Write(site / file, kPage);
  }
  Write(site / "notes.txt", kPage);
  Write(site / "done.htm", kCompressed);  // nothing to compress, still part of the mirror
  Write(site / "parts/head.inc", "<b>  head  </b>");
  Write(site / "sub/inc.htm", "<#quorvane include=\"../parts/head.inc\"></#quorvane>\n");
  const TFileTime old{1'500'000'000, 123'456'789};
  ASSERT_TRUE(SetFileTime((site / "sub/d.htm").string(), old));
  Write(site / "out/stale.htm", kPage);  // an output folder inside the tree is no source
  fs::permissions(site / "b.html", fs::perms(0640));
  fs::permissions(site / "c.shtml", fs::perms(0444));  // read-only: only its result is written
  Write(root / "victim.txt", "not a page");  // a link at an output name is replaced, not followed
  fs::create_symlink("../../victim.txt", site / "out/a.htm");

  site = root;  // the runs start beside the tree
  TRun run = Run({"-r", "-k", "-o", Q(root / "site/out"), "site"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const fs::path out = root / "site/out";
  for (const char* file : {"a.htm", "b.html", "c.shtml", "sub/d.htm", "done.htm"}) {
    EXPECT_EQ(Read(out / file), kCompressed) << file;
    EXPECT_EQ(Read(root / "site" / file), std::string(file) == "done.htm" ? kCompressed : kPage)
        << "the source stays as it was: " << file;
  }
  const std::string included = Read(out / "sub/inc.htm");
  EXPECT_NE(included.find("head</b>"), std::string::npos) << "includes come from the sources";
  for (const char* absent : {"notes.txt", ".hidden/e.htm", "out/stale.htm", "parts/head.inc"}) {
    EXPECT_FALSE(fs::exists(out / absent)) << absent;
  }
  EXPECT_EQ(GetFileTime((out / "sub/d.htm").string()), old);
  EXPECT_EQ(Read(out / "stale.htm"), kPage);
  EXPECT_FALSE(fs::is_symlink(out / "a.htm"));
  EXPECT_EQ(Read(root / "victim.txt"), "not a page");
  EXPECT_EQ(fs::status(out / "b.html").permissions(), fs::perms(0640)) << "the source's mode";
  EXPECT_EQ(fs::status(root / "site/c.shtml").permissions(), fs::perms(0444));

  // A mask mirrors the directory it names; a result that cannot be written fails the run.
  Write(root / "blocked/sub", "a file where a folder should be");
  TRun blocked = Run({"-r", "-o", Q(root / "blocked"), "site/*.htm"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(Read(root / "blocked/a.htm"), kCompressed);
  EXPECT_EQ(Read(root / "blocked/sub"), "a file where a folder should be");
  EXPECT_EQ(Read(root / "site/sub/d.htm"), kPage);
}

TEST_F(BatchProcess, StandardInputGoesToStandardOutputByteForByte) {
  TRun pipe = Run({"-"}, "<P>  a  </P>");
  EXPECT_EQ(pipe.exitCode, 0) << pipe.err;
  EXPECT_EQ(pipe.out, "<P>a</P>");
  EXPECT_NE(pipe.err.find("-: "), std::string::npos) << "the statistics go beside the document";

  // Every byte value passes, and includes are found from the current directory.
  Write(site / "inc/part.htm", "<p>  part  </p>");
  std::string binary("<p>\0\xff\x81 x</p>\r\n", 14);
  binary += "<#quorvane include=\"inc/part.htm\"></#quorvane>\n";
  std::string expected("<p>\0\xff\x81 x</p><p>part</p>", 23);
  TRun bytes = Run({"-q", "-"}, binary);
  EXPECT_EQ(bytes.exitCode, 0) << bytes.err;
  EXPECT_EQ(bytes.out, expected);
  EXPECT_EQ(bytes.err, "");

  // A document whose pass stops comes out as it went in, and the run fails.
  const std::string unterminated = "<p> a </p><#quorvane include=\"inc/part.htm\">";
  TRun stopped = Run({"-q", "-"}, unterminated);
  EXPECT_EQ(stopped.exitCode, 1);
  EXPECT_EQ(stopped.out, unterminated);
}

TEST_F(BatchProcess, SummaryAfterSeveralFilesAndQuietRuns) {
  Write(site / "a.htm", kPage);
  // The summary counts as the statistics lines do: a page as its includes make it.
  Write(site / "part.inc", kPage);
  Write(site / "b.htm", "<#quorvane include=\"part.inc\"></#quorvane>\n");
  TRun run = Run({"*.htm"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string bytes = std::to_string(2 * (sizeof kPage - 1) + 1) + " -> " +
                            std::to_string(2 * (sizeof kCompressed - 1)) + " bytes, 27 % saved, ";
  EXPECT_NE(run.out.find("\n2 files, " + bytes), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with(" seconds\n")) << run.out;
  TRun single = Run({"a.htm"});
  EXPECT_EQ(single.out.find("files"), std::string::npos) << "one file needs no summary";

  Write(site / "a.htm", kPage);
  Write(site / "ro.htm", kPage);
  fs::permissions(site / "ro.htm", fs::perms::owner_write, fs::perm_options::remove);
  TRun quiet = Run({"-q", "*.htm"});
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_NE(quiet.err.find("ro.htm"), std::string::npos) << "messages stay";
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
}

TEST_F(BatchProcess, NamesAreShownWithTheirControlCharactersEscaped) {
  const std::string name = "esc\x1b[31mRED\x1b[0m\rline.htm";
  const std::string shown = "esc\\033[31mRED\\033[0m\\rline.htm";
  Write(site / name, kPage);
  Write(site / ("ro" + name), kPage);
  fs::permissions(site / ("ro" + name), fs::perms::owner_write, fs::perm_options::remove);
  TRun run = Run({"-r", "*.htm"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find(shown + ": 27 %"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("ro" + shown), std::string::npos) << run.err;
  EXPECT_EQ((run.out + run.err).find_first_of("\x1b\r"), std::string::npos);
}

// A German session: names as they are written among German texts, also after the stored
// language files have moved (found again by name) or are gone (the locale chooses again).
TEST_F(BatchProcess, GermanTextsShowNamesAsWrittenWhereverTheLanguageFilesWent) {
  const std::string overview =
      "\xc3\x9c"
      "bersicht gr\xc3\xbcn.htm";  // UTF-8
  const std::string exercise =
      "\xc3\x9c"
      "bung \xe6\x97\xa5.htm";
  Write(site / overview, kPage);
  Write(site / exercise, kPage);
  fs::permissions(site / exercise, fs::perms::owner_write, fs::perm_options::remove);
  Write(site / "bad\xfc.htm", kPage);  // no UTF-8
  const fs::path settings = root / "config/Brennik/Quorvane.conf";
  Write(settings,
        "[1]\n7\\LanguageFilename=/moved/away/Quorvane_de.nls\n"
        "7\\CountryFilename=/moved/away/STATE_DE.nls\n");
  TRun moved = Run({"*.htm"});  // LANG=C: the German texts come from the stored names
  EXPECT_EQ(moved.exitCode, 1);
  EXPECT_NE(moved.out.find(overview + ": 27 % (16 Zeichen)\n"), std::string::npos) << moved.out;
  EXPECT_NE(moved.out.find("bad\xef\xbf\xbd.htm: 27 %"), std::string::npos) << moved.out;
  EXPECT_NE(moved.out.find("2 Dateien, "), std::string::npos) << moved.out;
  EXPECT_EQ(moved.err, "quorvane: Datei " + exercise + " ist schreibgesch\xc3\xbctzt.\n");

  Write(settings,
        "[1]\n7\\LanguageFilename=/gone/Quorvane_xx.nls\n"
        "7\\CountryFilename=/gone/STATE_XX.nls\n");
  Write(site /
            "Gr\xc3\xb6\xc3\x9f"
            "e.htm",
        kPage);
  QProcessEnvironment german = Environment();
  german.insert("LANG", "de_DE.UTF-8");
  TRun gone = Run({"Gr?\xc3\x9f"
                   "e.htm",
                   "missing.htm"},
                  {}, german);
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.out,
            "Gr\xc3\xb6\xc3\x9f"
            "e.htm: 27 % (16 Zeichen)\n")
      << "\"?\" is one character";
  EXPECT_EQ(gone.err, "quorvane: Datei missing.htm existiert nicht.\n");
}

TEST_F(BatchProcess, LiteralNamesAreNoMasks) {
  Write(site / "star*.htm", kPage);
  Write(site / "star-other.htm", kPage);
  Write(site / "sub/star*.htm", kPage);
  TRun literal = Run({"-l", "-r", "star*.htm", "gone?.htm"});
  EXPECT_EQ(literal.exitCode, 1) << "the name gone?.htm names no file";
  EXPECT_NE(literal.err.find("gone?.htm"), std::string::npos) << literal.err;
  EXPECT_EQ(Read(site / "star*.htm"), kCompressed);
  EXPECT_EQ(Read(site / "sub/star*.htm"), kCompressed);
  EXPECT_EQ(Read(site / "star-other.htm"), kPage);
  EXPECT_EQ(Run({"star*.htm"}).exitCode, 0);  // as a mask it takes its neighbour too
  EXPECT_EQ(Read(site / "star-other.htm"), kCompressed);
}

TEST_F(BatchProcess, SpecialSettingsAndLanguageFilesCountAsMissing) {
  Write(site / "a.htm", kPage);
  const fs::path settings = root / "config/Brennik/Quorvane.conf";
  fs::create_directories(settings.parent_path());
  ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
  TRun fifoSettings = Run({"a.htm"});
  EXPECT_EQ(fifoSettings.exitCode, 0) << fifoSettings.err;
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
  EXPECT_NE(fifoSettings.err.find("not a regular file"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(settings)) << "what is at the name is left alone";

  fs::remove(settings);
  ASSERT_EQ(::mkfifo((root / "lang.nls").c_str(), 0600), 0);
  Write(settings, "[1]\n7\\LanguageFilename=" + (root / "lang.nls").string() +
                      "\n7\\CountryFilename=" + (root / "lang.nls").string() + "\n");
  Write(site / "a.htm", kPage);
  TRun fifoLanguage = Run({"a.htm"});
  EXPECT_EQ(fifoLanguage.exitCode, 0) << fifoLanguage.err;
  EXPECT_EQ(Read(site / "a.htm"), kCompressed);
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

  // Writing elsewhere, the marks still belong to the sources.
  Write(site / "c.htm", kPage);
  EXPECT_EQ(Run({"-m", "-o", "out", "c.htm"}).exitCode, 0);
  EXPECT_EQ(Read(site / "out/c.htm"), kCompressed);
  EXPECT_EQ(Read(site / "c.htm"), kPage);
  EXPECT_FALSE(ArchiveAttributeSet((site / "c.htm").string()));
  EXPECT_TRUE(ArchiveAttributeSet((site / "out/c.htm").string()));
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
  EXPECT_EQ(run.exitCode, 1);
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
  EXPECT_EQ(run.exitCode, 1) << "a page left unchanged is a failure";
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

// Whether the process has its handler for `signal` in place (it ends at once without one).
bool Catches(qint64 pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) {
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
    }
  }
  return false;
}

TEST_F(BatchProcess, InterruptsEndTheBatchAndLeaveEveryFileOldOrNew) {
  const std::string big = [] {
    std::string page;
    while (page.size() < (8u << 20)) {
      page += kPage;
    }
    return page;
  }();
  // Ctrl+C and SIGTERM end the batch the same way, each with its own exit code.
  for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    for (int i = 0; i < 6; ++i) {
      Write(site / (std::to_string(i) + ".htm"), big);
    }
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.setWorkingDirectory(Q(site));
    process.start(QUORVANE_BINARY, {"*.htm"});
    ASSERT_TRUE(process.waitForStarted());
    // The first statistics line shows that the program watches for the signal by now.
    ASSERT_TRUE(process.waitForReadyRead(60000));
    ::kill(static_cast<pid_t>(process.processId()), signal);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), code);
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

  // A single SIGTERM also ends a run that waits for its standard input.
  QProcess waiting;
  waiting.setProcessEnvironment(Environment());
  waiting.start(QUORVANE_BINARY, {"-"});
  ASSERT_TRUE(waiting.waitForStarted());
  while (!Catches(waiting.processId(), SIGTERM)) {
    ASSERT_EQ(waiting.state(), QProcess::Running);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(static_cast<pid_t>(waiting.processId()), SIGTERM);
  ASSERT_TRUE(waiting.waitForFinished(60000));
  EXPECT_EQ(waiting.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(waiting.exitCode(), 143);
  EXPECT_EQ(waiting.readAllStandardOutput().toStdString(), "");

  // And one whose reader has stopped reading its standard output.
  const fs::path fifo = root / "out.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  QProcess stalled;
  stalled.setProcessEnvironment(Environment());
  stalled.setStandardInputFile(Q(site / "0.htm"));
  stalled.setStandardOutputFile(Q(fifo));
  stalled.start(QUORVANE_BINARY, {"-q", "-"});
  ASSERT_TRUE(stalled.waitForStarted());
  for (int queued = 0; queued < ::fcntl(reader, F_GETPIPE_SZ);) {  // the pipe is full
    ASSERT_EQ(stalled.state(), QProcess::Running);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::ioctl(reader, FIONREAD, &queued);
  }
  ::kill(static_cast<pid_t>(stalled.processId()), SIGTERM);
  ASSERT_TRUE(stalled.waitForFinished(60000));
  EXPECT_EQ(stalled.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(stalled.exitCode(), 143);
  ::close(reader);
}

}  // namespace
}  // namespace quorvane
