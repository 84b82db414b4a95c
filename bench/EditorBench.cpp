// Times the editor on two large pages, one with CR LF line ends and the same page on one line
// (as minifiers leave it):
// - the display choices for long lines: lines shown whole or in blocks of several sizes, with
//   word wrap off and on (load, a keystroke, a page down);
// - the editor window: load, keystroke, search, compression (with the longest stretch in which
//   the window handled no events), the view of its changes, document bytes and save.
//   quorvane-editor-bench [MEGABYTES] [--quick]   (--quick: no rows for lines shown whole)
// Times are wall-clock milliseconds, best of a few rounds where a round is cheap; CPU time is
// given beside the load. Runs without a display (offscreen) unless QT_QPA_PLATFORM says
// otherwise.
#include <stdlib.h>
#include <time.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "PageGenerator.h"
#include "batch/ProgressModel.h"
#include "platform/System.h"
#include "ui/ChangesDialog.h"
#include "ui/FindReplaceDialog.h"
#include "ui/MainWindow.h"
#include "ui/SourceEdit.h"

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct TTimes {
  double Wall;
  double Cpu;
};

template <typename F>
TTimes Time(F&& work) {
  const auto start = Clock::now();
  const double cpu = CpuMilliseconds();
  work();
  return {Milliseconds(start), CpuMilliseconds() - cpu};
}

// The work, then the events it caused (the repaint that shows it).
template <typename F>
double Shown(F&& work) {
  return Time([&] {
           work();
           QApplication::processEvents();
         })
      .Wall;
}

void Key(QWidget& widget, Qt::Key key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&widget, &press);
}

// The best and the worst of `rounds` keystrokes in the middle of the text.
std::pair<double, double> Keystrokes(TSourceEdit& edit, int rounds) {
  edit.SetSelection(edit.TextLength() / 2, 0);
  edit.ensureCursorVisible();
  QApplication::processEvents();
  double best = 1e300;
  double worst = 0;
  for (int i = 0; i < rounds; ++i) {
    const double ms = Shown([&] { Key(edit, Qt::Key_X, "x"); });
    best = std::min(best, ms);
    worst = std::max(worst, ms);
  }
  return {best, worst};
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

// A bare editor as the window has it, showing `page` with lines longer than `longLine` bytes
// in blocks (0: whole).
void MeasureDisplayChoice(const std::string& page, size_t longLine, bool wrap) {
  TSourceEdit edit;
  edit.resize(800, 600);
  edit.setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  edit.SetLongLine(longLine);
  edit.show();
  QApplication::processEvents();
  const double load = Shown([&] { edit.SetDocumentBytes(page, false); });
  const auto [best, worst] = Keystrokes(edit, 3);
  const double pageDown = Shown([&] { Key(edit, Qt::Key_PageDown); });
  const std::string blocks = longLine == 0 ? "whole line" : std::to_string(longLine) + " B";
  std::printf("  %-10s  %-4s  %9.0f  %8.1f  %9.1f  %9.1f\n", blocks.c_str(), wrap ? "on" : "off",
              load, best, worst, pageDown);
}

void MeasureDisplayChoices(const std::string& oneLine, bool quick) {
  std::printf(
      "Long lines on the one-line page, without colours (ms):\n"
      "  blocks      wrap       load  key best  key worst  page down\n");
  for (const bool wrap : {false, true}) {
    for (const size_t longLine :
         {size_t{0}, size_t{512}, size_t{1024}, size_t{2048}, size_t{4096}, size_t{16384}}) {
      if (!(quick && longLine == 0)) {
        MeasureDisplayChoice(oneLine, longLine, wrap);
      }
    }
  }
}

void MeasureWindow(const std::string& page, const char* kind, const QTemporaryDir& temp) {
  const std::string path = temp.filePath("large.htm").toStdString();
  std::ofstream(path, std::ios::binary) << page;
  std::printf("\n%s: %zu bytes\n", kind, page.size());
  TMainWindow window([](std::string& country, std::string& language) {
    country = FindDataFile("STATE_GB.nls");
    language = FindDataFile("Quorvane_en.nls");
    return true;
  });
  window.show();
  QApplication::processEvents();
  TSourceEdit& edit = *window.findChild<TSourceEdit*>("Edit");
  TFindReplaceDialog& find = *window.findChild<TFindReplaceDialog*>("FindDialog1");
  edit.SetHighlighting(true);

  TTimes load{1e300, 1e300};
  for (int round = 0; round < 3; ++round) {
    const TTimes times = Time([&] {
      window.Session().LoadFile(path);
      QApplication::processEvents();
    });
    load = {std::min(load.Wall, times.Wall), std::min(load.Cpu, times.Cpu)};
  }
  std::printf("  load:              %8.0f ms (CPU %.0f ms; bound 1000 ms)\n", load.Wall, load.Cpu);
  const auto [best, worst] = Keystrokes(edit, 5);
  std::printf("  keystroke:         %8.1f ms (worst of 5: %.1f ms; bound 50 ms)\n", best, worst);
  edit.SetHighlighting(false);
  const auto [plainBest, plainWorst] = Keystrokes(edit, 5);
  std::printf("  without colours:   %8.1f ms (worst of 5: %.1f ms)\n", plainBest, plainWorst);
  edit.SetHighlighting(true);
  std::printf("  document bytes:    %8.0f ms\n", Time([&] { (void)edit.DocumentBytes(); }).Wall);
  edit.SetSelection(0, 0);
  find.SetFindText("<td*>");
  std::printf("  find next:         %8.1f ms (first after a change)\n",
              Time([&] { emit find.FindNext(); }).Wall);
  std::printf("  find next again:   %8.1f ms\n", Time([&] { emit find.FindNext(); }).Wall);

  double waitedAt = 0;
  const auto start = Clock::now();
  window.SetProgressWaiter([&] {
    waitedAt = Milliseconds(start);
    ProgressForm().CloseRequested();
  });
  TFreezeWatch watch;
  watch.Start();
  const double compressed = Time([&] { window.Session().Compress(); }).Wall;
  const double freeze = watch.Stop();
  std::printf("  compress:          %8.0f ms (result shown after %.0f ms; %s)\n", compressed,
              waitedAt, ProgressForm().AdditionalText().c_str());
  std::printf("  longest stretch without handling events: %.0f ms (bound 200 ms)\n", freeze);
  std::printf("  changes view:      %8.0f ms\n",
              Shown([&] { window.findChild<QAction*>("MainmenuViewChanges")->trigger(); }));
  window.findChild<TChangesDialog*>()->close();
  const std::string saved = temp.filePath("saved.htm").toStdString();
  std::printf("  save (with flush): %8.0f ms\n",
              Time([&] { window.Session().SaveFile(saved); }).Wall);
  edit.SetModified(false);
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 && argv[1][0] != '-' ? std::atof(argv[1]) : 10.0;
  const bool quick = argc > 1 && std::strcmp(argv[argc - 1], "--quick") == 0;
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QTemporaryDir temp;
  setenv("XDG_CONFIG_HOME", temp.path().toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);

  const std::string page = bench::GeneratePage(static_cast<size_t>(megabytes * 1e6), 1);
  std::string oneLine = page;
  std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
  std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');

  MeasureDisplayChoices(oneLine, quick);
  MeasureWindow(page, "Page with CR LF line ends", temp);
  MeasureWindow(oneLine, "The same page on one line", temp);
  return 0;
}
