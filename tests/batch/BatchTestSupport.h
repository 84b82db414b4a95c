#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/Job.h"

namespace quorvane::test {

// A small page and what the default tag list makes of it.
inline constexpr char kPage[] =
    "<html>\r\n<body>\r\n  <p> Hello   world </p>\r\n</body>\r\n</html>\r\n";
inline constexpr char kCompressed[] = "<html><body><p>Hello world</p></body></html>";

inline QString Q(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

inline std::vector<std::string> Paths(const TJob& job) {
  std::vector<std::string> paths;
  for (int i = 0; i < job.Count(); ++i) {
    paths.push_back(job.Path(i));
  }
  return paths;
}

// How a run of the program ended: its exit code (-1 when it was killed) and its output.
struct TRun {
  int exitCode;
  std::string out;
  std::string err;
};

// A run on a test tree: its settings and journals below `root`, English texts, the terminal.
inline QProcessEnvironment ProgramEnvironment(const std::filesystem::path& root) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", Q(root / "config"));
  env.insert("XDG_STATE_HOME", Q(root / "state"));
  env.insert("LANG", "C");
  env.remove("LC_ALL");
  env.remove("LC_MESSAGES");
  env.insert("QUORVANE_UI", "console");
  return env;
}

// Waits for the run to end, if it has not yet; one that does not end within two minutes is killed.
inline TRun Finish(QProcess& process) {
  if (process.state() != QProcess::NotRunning && !process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    return {-1, {}, {}};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

}  // namespace quorvane::test
