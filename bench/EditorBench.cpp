// Times the editor window on a large document: load, typing, search, compression (with the
// longest stretch in which the window handled no events), encoding and save.
//   quorvane-editor-bench [MEGABYTES] [--one-line]
// Runs without a display (offscreen) unless QT_QPA_PLATFORM says otherwise.
#include <stdlib.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "PageGenerator.h"
#include "batch/ProgressModel.h"
#include "platform/System.h"
#include "ui/FindReplaceDialog.h"
#include "ui/MainWindow.h"
#include "ui/SourceEdit.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

template <typename F>
double Time(F&& work) {
  const auto start = Clock::now();
  work();
  return Milliseconds(start);
}

// The longest time between two turns of the event loop while it is watched.
class TFreezeWatch {
 public:
  TFreezeWatch() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const auto now = Clock::now();
      longest_ = std::max(longest_, std::chrono::duration<double, std::milli>(now - last_).count());
      last_ = now;
    });
  }
  void Start() {
    longest_ = 0;
    last_ = Clock::now();
    timer_.start();
  }
  double Stop() {
    timer_.stop();
    longest_ = std::max(longest_, Milliseconds(last_));
    return longest_;
  }

 private:
  QTimer timer_;
  Clock::time_point last_;
  double longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QTemporaryDir temp;
  setenv("XDG_CONFIG_HOME", temp.path().toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);
  using namespace quorvane;

  std::string page = bench::GeneratePage(static_cast<size_t>(megabytes * 1024 * 1024), 1);
  // A page as minifiers leave it: all on one line.
  const bool oneLine = argc > 2 && std::string(argv[2]) == "--one-line";
  if (oneLine) {
    std::replace(page.begin(), page.end(), '\r', ' ');
    std::replace(page.begin(), page.end(), '\n', ' ');
  }
  const std::string path = temp.filePath("large.htm").toStdString();
  std::ofstream(path, std::ios::binary) << page;
  std::printf("document: %zu bytes, %s\n", page.size(), oneLine ? "one line" : "CR LF line ends");

  TMainWindow window([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return true;
  });
  window.show();
  QApplication::processEvents();
  TFreezeWatch watch;

  TSourceEdit& edit = *window.findChild<TSourceEdit*>("Edit");
  TFindReplaceDialog& find = *window.findChild<TFindReplaceDialog*>("FindDialog1");
  std::printf("load:              %8.0f ms\n", Time([&] { window.Session().LoadFile(path); }));
  QApplication::processEvents();
  std::printf("type a character:  %8.1f ms\n", Time([&] {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
                QApplication::sendEvent(&edit, &key);
                QApplication::processEvents();
              }));
  std::printf("document bytes:    %8.0f ms\n", Time([&] { (void)edit.DocumentBytes(); }));
  edit.SetSelection(0, 0);
  find.SetFindText("<td*>");
  std::printf("find next:         %8.1f ms (first after a change)\n",
              Time([&] { emit find.FindNext(); }));
  std::printf("find next again:   %8.1f ms\n", Time([&] { emit find.FindNext(); }));

  double compressed = 0;
  double waitedAt = 0;
  const auto start = Clock::now();
  window.SetProgressWaiter([&] {
    waitedAt = Milliseconds(start);
    ProgressForm().CloseRequested();
  });
  watch.Start();
  compressed = Time([&] { window.Session().Compress(); });
  const double freeze = watch.Stop();
  std::printf("compress:          %8.0f ms (result shown after %.0f ms; %s)\n", compressed,
              waitedAt, ProgressForm().AdditionalText().c_str());
  std::printf("  longest time without handling events during the run: %.0f ms\n", freeze);

  const std::string saved = temp.filePath("saved.htm").toStdString();
  std::printf("save (with flush): %8.0f ms\n", Time([&] { window.Session().SaveFile(saved); }));
  edit.SetModified(false);
  return 0;
}
