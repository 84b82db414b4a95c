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
#include <thread>

#include "BatchTestSupport.h"
#include "TestSupport.h"
#include "platform/Files.h"
#include "support/UnicodeText.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using test::kCompressed;
using test::kPage;
using test::Q;
using test::ReadBytes;
using test::TRun;
using test::WriteBytes;

class BatchProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(root, fs::perms(0755));
    fs::create_directories(site);
  }

  QProcessEnvironment Environment() const { return test::ProgramEnvironment(root); }

  // Starts the program in `site`; as root with `asNobody`, as the user nobody.
  void Start(QProcess& process, const QStringList& args, const QProcessEnvironment& env = {}) {
    process.setProcessEnvironment(env.isEmpty() ? Environment() : env);
    process.setWorkingDirectory(Q(site));
    if (asNobody && ::geteuid() == 0) {
      process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
          ::_exit(77);
        }
      });
    }
    process.start(QUORVANE_BINARY, args);
  }

  // Runs the program with `input` on its standard input.
  TRun Run(const QStringList& args, const std::string& input = {},
           const QProcessEnvironment& env = {}) {
    QProcess process;
    Start(process, args, env);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    return test::Finish(process);
  }

  test::TTempDir temp;
  const fs::path root = temp.PathWithoutSlash();
  fs::path site = root / "site";
  bool asNobody = false;  // as root: run the program as the user nobody, who owns the tree
};

// The usage errors one by one are the command line's own test.
TEST_F(BatchProcess, HelpVersionAndUsageErrors) {
  TRun help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("params for batchmode:\n-h show this help\n"), std::string::npos);
  EXPECT_NE(help.out.find("exit codes: 0"), std::string::npos);
  EXPECT_EQ(help.err, "");
  TRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "quorvane 1.7.0\n");
  TRun error = Run({"-o"});  // -o without its directory: the help on standard error
  EXPECT_EQ(error.exitCode, 2);
  EXPECT_EQ(error.out, "");
  EXPECT_NE(error.err.find("-r recursive into subdirs"), std::string::npos);
  TRun empty = Run({"-k", "-r"});  // switches without paths: nothing to do
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.out + empty.err, "");

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

// A recursive run over a tree: each plain writable directory entered once (no link followed),
// dates kept to the nanosecond, files with nothing to compress not rewritten, with -a only the
// files changed since their mark (which stays), and the summary counting a page as its includes
// make it.
TEST_F(BatchProcess, CompressesTheTreeKeepingDatesAndPrintsStatistics) {
  for (const char* file : {"a.htm", "sub/b.htm", "sub/deep/c.htm", ".hidden/d.htm", "locked/e.htm",
                           ".f.htm", "sub/g.html", "c.txt", "part.inc"}) {
    WriteBytes(site / file, kPage);
  }
  WriteBytes(site / "inc.htm", "<#quorvane include=\"part.inc\"></#quorvane>\n");
  WriteBytes(site / "done.htm", kCompressed);
  fs::create_directory_symlink(site / "sub", site / "link");
  fs::permissions(site / "locked", fs::perms::owner_write, fs::perm_options::remove);
  const TFileTime old{1'500'000'000, 123'456'789};
  for (const char* dated : {"a.htm", "done.htm"}) {
    ASSERT_TRUE(SetFileTime(site / dated, old));
  }
  struct stat before {};
  ::stat((site / "done.htm").c_str(), &before);
  const bool marks = UserXattrsSupported(site / "a.htm");
  WriteBytes(site / "marked.htm", kPage);
  ClearArchiveAttribute(site / "marked.htm");

  TRun run = Run({"-r", "-k", "-a", "*.htm"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* done : {"a.htm", "sub/b.htm", "sub/deep/c.htm", "inc.htm", "done.htm"}) {
    EXPECT_EQ(ReadBytes(site / done), kCompressed) << done;
  }
  for (const char* untouched :
       {".hidden/d.htm", "locked/e.htm", ".f.htm", "sub/g.html", "c.txt", "part.inc"}) {
    EXPECT_EQ(ReadBytes(site / untouched), kPage) << untouched;
  }
  EXPECT_EQ(GetFileTime(site / "a.htm"), old);
  struct stat after {};
  ::stat((site / "done.htm").c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino) << "nothing to compress: not rewritten";
  if (marks) {
    EXPECT_EQ(ReadBytes(site / "marked.htm"), kPage);
    EXPECT_TRUE(ArchiveAttributeSet(site / "a.htm"));
  }
  EXPECT_EQ(GetFileTime(site / "done.htm"), old);

  EXPECT_NE(run.out.find("a.htm: 27 % (16 Characters)"), std::string::npos) << run.out;
  const size_t page = sizeof kPage - 1;
  const size_t compressed = sizeof kCompressed - 1;
  const std::string bytes = std::to_string(4 * page + 1 + compressed) + " -> " +
                            std::to_string(5 * compressed) + " bytes, ";
  EXPECT_NE(run.out.find("\n5 files, " + bytes), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with(" seconds\n")) << run.out;

  WriteBytes(site / "a.htm", kPage);
  EXPECT_EQ(Run({"-m", "a.htm"}).exitCode, 0);
  EXPECT_EQ(ReadBytes(site / "a.htm"), kCompressed);
  EXPECT_TRUE(!marks || !ArchiveAttributeSet(site / "a.htm")) << "-m clears the mark";
}

// Each failure alone ends the run with 1, names what failed on standard error, also in a quiet
// run, and leaves the other files done. Root reads and writes every file: the program runs as the
// user nobody, who owns the tree.
TEST_F(BatchProcess, EveryFailureIsReportedAndEndsWithCodeOne) {
  WriteBytes(site / "ro.htm", kPage);
  fs::permissions(site / "ro.htm", fs::perms(0444));
  WriteBytes(site / "secret.htm", kPage);
  fs::permissions(site / "secret.htm", fs::perms(0200));
  WriteBytes(site / "a.htm", kPage);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    ASSERT_TRUE(::geteuid() != 0 || ::lchown(entry.path().c_str(), 65534, 65534) == 0);
  }
  asNobody = true;
  struct TCase {
    QString failing;
    std::string named;  // what the message names
  };
  const TCase failures[] = {{Q(site / "ro.htm"), (site / "ro.htm").string()},
                            {"secret.htm", "secret.htm"},
                            {Q(root / "nowhere" / "*.htm"), (root / "nowhere").string()},
                            {"misspelt.htm", "misspelt.htm"}};
  for (const TCase& failure : failures) {
    WriteBytes(site / "a.htm", kPage);
    TRun run = Run({"-q", failure.failing, "a.htm", "*.nomatch"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadBytes(site / "a.htm"), kCompressed) << "the other files are still done";
    EXPECT_NE(run.err.find(failure.named), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("nomatch"), std::string::npos) << "a mask that matches nothing";
  }
  EXPECT_EQ(ReadBytes(site / "ro.htm"), kPage);
  fs::permissions(site / "secret.htm", fs::perms(0600));
  EXPECT_EQ(ReadBytes(site / "secret.htm"), kPage);
  EXPECT_EQ(Run({"*.nomatch"}).exitCode, 0) << "is no failure";
}

// A directory means its pages; the output tree mirrors them with the sources' modes and dates,
// replaces a link at an output name, and leaves the marks of -m with the sources.
TEST_F(BatchProcess, DirectoriesMeanTheirPagesAndOutputMirrorsTheTree) {
  for (const char* file : {"a.htm", "b.html", "c.shtml", "sub/d.htm", ".hidden/e.htm"}) {
    WriteBytes(site / file, kPage);
  }
  WriteBytes(site / "notes.txt", kPage);
  WriteBytes(site / "done.htm", kCompressed);  // nothing to compress, still part of the mirror
  WriteBytes(site / "parts/head.inc", "<b>  head  </b>");
  WriteBytes(site / "sub/inc.htm", "<#quorvane include=\"../parts/head.inc\"></#quorvane>\n");
  const TFileTime old{1'500'000'000, 123'456'789};
  ASSERT_TRUE(SetFileTime(site / "sub/d.htm", old));
  WriteBytes(site / "out/stale.htm", kPage);  // an output folder inside the tree is no source
  fs::permissions(site / "b.html", fs::perms(0640));
  fs::permissions(site / "c.shtml", fs::perms(0444));  // read-only: only its result is written
  WriteBytes(root / "victim.txt", "not a page");       // a link at an output name is replaced
  fs::create_symlink("../../victim.txt", site / "out/a.htm");
  const bool marks = UserXattrsSupported(site / "a.htm");

  site = root;  // the runs start beside the tree
  TRun run = Run({"-r", "-k", "-m", "-o", Q(root / "site/out"), "site"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const fs::path out = root / "site/out";
  for (const char* file : {"a.htm", "b.html", "c.shtml", "sub/d.htm", "done.htm"}) {
    EXPECT_EQ(ReadBytes(out / file), kCompressed) << file;
    EXPECT_EQ(ReadBytes(root / "site" / file),
              std::string(file) == "done.htm" ? kCompressed : kPage)
        << "the source stays as it was: " << file;
  }
  const std::string included = ReadBytes(out / "sub/inc.htm");
  EXPECT_NE(included.find("head</b>"), std::string::npos) << "includes come from the sources";
  for (const char* absent : {"notes.txt", ".hidden/e.htm", "out/stale.htm", "parts/head.inc"}) {
    EXPECT_FALSE(fs::exists(out / absent)) << absent;
  }
  EXPECT_EQ(GetFileTime(out / "sub/d.htm"), old);
  EXPECT_EQ(ReadBytes(out / "stale.htm"), kPage);
  EXPECT_FALSE(fs::is_symlink(out / "a.htm"));
  EXPECT_EQ(ReadBytes(root / "victim.txt"), "not a page");
  EXPECT_EQ(fs::status(out / "b.html").permissions(), fs::perms(0640)) << "the source's mode";
  EXPECT_EQ(fs::status(root / "site/c.shtml").permissions(), fs::perms(0444));
  if (marks) {
    EXPECT_FALSE(ArchiveAttributeSet(root / "site/a.htm"));
    EXPECT_TRUE(ArchiveAttributeSet(out / "a.htm"));
  }

  // A mask mirrors the directory it names; a result that cannot be written fails the run.
  WriteBytes(root / "blocked/sub", "a file where a folder should be");
  TRun blocked = Run({"-r", "-o", Q(root / "blocked"), "site/*.htm"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(ReadBytes(root / "blocked/a.htm"), kCompressed);
  EXPECT_EQ(ReadBytes(root / "blocked/sub"), "a file where a folder should be");
  EXPECT_EQ(ReadBytes(root / "site/sub/d.htm"), kPage);
}

TEST_F(BatchProcess, StandardInputGoesToStandardOutputByteForByte) {
  // Every byte value passes, includes are found from the current directory, and the statistics
  // go beside the document.
  WriteBytes(site / "inc/part.htm", "<p>  part  </p>");
  std::string binary("<p>\0\xff\x81 x</p>\r\n", 14);
  binary += "<#quorvane include=\"inc/part.htm\"></#quorvane>\n";
  TRun bytes = Run({"-"}, binary);
  EXPECT_EQ(bytes.exitCode, 0) << bytes.err;
  EXPECT_EQ(bytes.out, std::string("<p>\0\xff\x81 x</p><p>part</p>", 23));
  EXPECT_TRUE(bytes.err.starts_with("-: ")) << bytes.err;

  // A document whose pass stops comes out as it went in, and the run fails.
  const std::string unterminated = "<p> a </p><#quorvane include=\"inc/part.htm\">";
  TRun stopped = Run({"-q", "-"}, unterminated);
  EXPECT_EQ(stopped.exitCode, 1);
  EXPECT_EQ(stopped.out, unterminated);
}

// Names on the terminal: control characters escaped, bytes that are no UTF-8 replaced, and UTF-8
// as it is written among German texts (the stored language files moved: found again by name).
TEST_F(BatchProcess, NamesAreShownWithTheirControlCharactersEscaped) {
  const std::string name = "esc\x1b[31mRED\x1b[0m\rline.htm";
  const std::string shown = "esc\\033[31mRED\\033[0m\\rline.htm";
  const std::string exercise =
      "\xc3\x9c"
      "bung \xe6\x97\xa5.htm";
  for (const std::string& file : {name, "ro" + name, exercise, std::string("bad\xfc.htm")}) {
    WriteBytes(site / file, kPage);
  }
  for (const std::string& file : {"ro" + name, exercise}) {
    fs::permissions(site / file, fs::perms::owner_write, fs::perm_options::remove);
  }
  WriteBytes(root / "config/Brennik/Quorvane.conf",
             "[1]\n7\\LanguageFilename=/moved/away/Quorvane_de.nls\n"
             "7\\CountryFilename=/moved/away/STATE_DE.nls\n");
  TRun run = Run({"-r", "*.htm"});  // LANG=C: the German texts come from the stored names
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find(shown + ": 27 % (16 Zeichen)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("bad\xef\xbf\xbd.htm: 27 %"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2 Dateien, "), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("ro" + shown), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("quorvane: Datei " + exercise + " ist schreibgesch\xc3\xbctzt.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ((run.out + run.err).find_first_of("\x1b\r"), std::string::npos);
}

TEST_F(BatchProcess, LiteralNamesAreNoMasks) {
  WriteBytes(site / "star*.htm", kPage);
  WriteBytes(site / "star-other.htm", kPage);
  WriteBytes(site / "sub/star*.htm", kPage);
  TRun literal = Run({"-l", "-r", "star*.htm", "gone?.htm"});
  EXPECT_EQ(literal.exitCode, 1) << "the name gone?.htm names no file";
  EXPECT_NE(literal.err.find("gone?.htm"), std::string::npos) << literal.err;
  EXPECT_EQ(ReadBytes(site / "star*.htm"), kCompressed);
  EXPECT_EQ(ReadBytes(site / "sub/star*.htm"), kCompressed);
  EXPECT_EQ(ReadBytes(site / "star-other.htm"), kPage);
  EXPECT_EQ(Run({"star*.htm"}).exitCode, 0);  // as a mask it takes its neighbour too
  EXPECT_EQ(ReadBytes(site / "star-other.htm"), kCompressed);
}

TEST_F(BatchProcess, SpecialSettingsAndLanguageFilesCountAsMissing) {
  WriteBytes(site / "a.htm", kPage);
  const fs::path settings = root / "config/Brennik/Quorvane.conf";
  fs::create_directories(settings.parent_path());
  ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
  TRun fifoSettings = Run({"a.htm"});
  EXPECT_EQ(fifoSettings.exitCode, 0) << fifoSettings.err;
  EXPECT_EQ(ReadBytes(site / "a.htm"), kCompressed);
  EXPECT_NE(fifoSettings.err.find("not a regular file"), std::string::npos);
  EXPECT_EQ(fifoSettings.out.find("files"), std::string::npos) << "one file needs no summary";
  EXPECT_TRUE(fs::is_fifo(settings)) << "what is at the name is left alone";

  fs::remove(settings);
  ASSERT_EQ(::mkfifo((root / "lang.nls").c_str(), 0600), 0);
  WriteBytes(settings, "[1]\n7\\LanguageFilename=" + (root / "lang.nls").string() +
                           "\n7\\CountryFilename=" + (root / "lang.nls").string() + "\n");
  WriteBytes(site / "a.htm", kPage);
  TRun fifoLanguage = Run({"a.htm"});
  EXPECT_EQ(fifoLanguage.exitCode, 0) << fifoLanguage.err;
  EXPECT_EQ(ReadBytes(site / "a.htm"), kCompressed);
}

TEST_F(BatchProcess, Utf16PagesComeOutInTheirOwnEncodingWithTheUtf8Result) {
  const std::string page =
      "<html>\r\n<body>\r\n  <p> Gr\xC3\xBC\xC3\x9F"
      "e   \xF0\x9F\x98\x80 </p>\r\n</body>\r\n</html>\r\n";
  WriteBytes(site / "utf8.htm", page);
  WriteBytes(site / "le.htm", EncodeUnicode(page, TUnicodeForm::Utf16Le));
  WriteBytes(site / "be.htm", EncodeUnicode(page, TUnicodeForm::Utf16Be));
  const std::string broken = EncodeUnicode(page, TUnicodeForm::Utf16Le) + "\x20";
  WriteBytes(site / "odd.htm", broken);
  TRun run = Run({"*.htm"});
  const std::string compressed = ReadBytes(site / "utf8.htm");
  EXPECT_EQ(compressed,
            "<html><body><p>Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x98\x80</p></body></html>");
  EXPECT_EQ(ReadBytes(site / "le.htm"), EncodeUnicode(compressed, TUnicodeForm::Utf16Le));
  EXPECT_EQ(ReadBytes(site / "be.htm"), EncodeUnicode(compressed, TUnicodeForm::Utf16Be));
  // The statistics count the page's own bytes: two for each character saved.
  EXPECT_NE(run.out.find("utf8.htm: 26 % (16 Characters)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("le.htm: 28 % (32 Characters)"), std::string::npos) << run.out;
  EXPECT_EQ(ReadBytes(site / "odd.htm"), broken);
  EXPECT_NE(run.err.find("odd.htm"), std::string::npos) << run.err;
}

TEST_F(BatchProcess, ProtectsCodeUnlessStrictAndNamesPagesLeftUnchanged) {
  const std::string code = "<pre class=\"py\">\n  if x:\n      y()\n</pre>\n<p> a </p>";
  const std::string open = "<p> a </p><#quorvane include=\"part.htm\">no end\n";
  WriteBytes(site / "code.htm", code);
  WriteBytes(site / "open.htm", open);
  TRun run = Run({"code.htm", "open.htm"});
  EXPECT_EQ(run.exitCode, 1) << "a page left unchanged is a failure";
  EXPECT_EQ(ReadBytes(site / "code.htm"), "<pre class=\"py\">\n  if x:\n      y()\n</pre><p>a</p>");
  EXPECT_EQ(ReadBytes(site / "open.htm"), open);
  EXPECT_NE(run.err.find("open.htm was left unchanged: an include directive in it has no closing"),
            std::string::npos)
      << run.err;

  WriteBytes(root / "config/Brennik/Quorvane.conf", "[1/7]\nStrictPre=1\n");
  WriteBytes(site / "code.htm", code);
  Run({"code.htm"});
  EXPECT_EQ(ReadBytes(site / "code.htm"), "<pre class=\"py\">if x:\ny()</pre><p>a</p>");
}

TEST_F(BatchProcess, AsRootIncludesOnlyWhatThePagesOwnerCouldRead) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root reads on behalf of another user";
  }
  WriteBytes(site / "secret.txt", "SECRET");
  ::chmod((site / "secret.txt").c_str(), 0600);
  WriteBytes(site / "page.htm", "<#quorvane include=\"secret.txt\"></#quorvane> ");
  ASSERT_EQ(::chown((site / "page.htm").c_str(), 65534, 65534), 0);
  Run({"page.htm"});
  EXPECT_EQ(ReadBytes(site / "page.htm"),
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
  std::string big;
  while (big.size() < (8u << 20)) {
    big += kPage;
  }
  // Ctrl+C and SIGTERM end the batch the same way, each with its own exit code.
  for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    for (int i = 0; i < 6; ++i) {
      WriteBytes(site / (std::to_string(i) + ".htm"), big);
    }
    QProcess process;
    Start(process, {"*.htm"});
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
      const std::string content = ReadBytes(entry.path());
      ASSERT_TRUE(content == big || content.find("\r\n") == std::string::npos) << name;
      compressed += content != big;
    }
    EXPECT_LT(compressed, 6);
  }

  // A single SIGTERM also ends a run that waits for its standard input, and one whose reader
  // has stopped reading its standard output.
  const fs::path fifo = root / "out.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const bool stalled : {false, true}) {
    QProcess process;
    if (stalled) {
      process.setStandardInputFile(Q(site / "0.htm"));
      process.setStandardOutputFile(Q(fifo));
    }
    Start(process, {"-q", "-"});
    ASSERT_TRUE(process.waitForStarted());
    const auto ready = [&] {  // the handler in place, or the pipe full
      int queued = 0;
      ::ioctl(reader, FIONREAD, &queued);
      return stalled ? queued >= ::fcntl(reader, F_GETPIPE_SZ)
                     : Catches(process.processId(), SIGTERM);
    };
    while (!ready()) {
      ASSERT_EQ(process.state(), QProcess::Running) << stalled;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << stalled;
    EXPECT_EQ(process.exitCode(), 143) << stalled;
    EXPECT_TRUE(stalled || process.readAllStandardOutput().isEmpty());
  }
  ::close(reader);
}

}  // namespace
}  // namespace quorvane
