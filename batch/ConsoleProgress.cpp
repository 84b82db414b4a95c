#include "batch/ConsoleProgress.h"

#include <cstdio>

#include "batch/Messages.h"
#include "platform/System.h"

namespace quorvane {

namespace {
constexpr uint32_t kQuietStart = 500;  // files done faster show no progress line
constexpr uint32_t kLineInterval = 200;
}  // namespace

void TConsoleProgressView::ClearProgressLine() {
  if (lineShown_) {
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    lineShown_ = false;
  }
}

// The caption counts the jobs ("Job 2/3"). A terminal shows it when a file's run starts
// under a caption other than the last one, so a single job's batch never shows it and a
// server's output tells which job each file belongs to.
void TConsoleProgressView::ShowCaptionChange(const std::string& caption) {
  captionChecked_ = true;
  if (caption == caption_) {
    return;
  }
  const bool first = caption_.empty();
  caption_ = caption;
  if (!first) {
    ClearProgressLine();
    std::printf("%s\n", TerminalText(caption).c_str());
    std::fflush(stdout);
  }
}

void TConsoleProgressView::Changed(const TProgressModel& model) {
  if (!model.Finished()) {
    if (finished_ || model.FileNameLabel() != file_) {  // a new run began
      finished_ = false;
      runStart_ = TickCount();
      file_ = model.FileNameLabel();
      captionChecked_ = false;
    }
    if (!captionChecked_ && !file_.empty() && !model.Caption().empty()) {
      ShowCaptionChange(model.Caption());
    }
    const uint32_t now = TickCount();
    if (showProgressLine_ && now - runStart_ >= kQuietStart && now - lastLine_ >= kLineInterval) {
      lastLine_ = now;
      std::fprintf(stderr, "\r\x1b[K%3d %% %s", model.MainPosition(), TerminalText(file_).c_str());
      std::fflush(stderr);
      lineShown_ = true;
    }
    return;
  }
  finished_ = true;
  ClearProgressLine();
}

void TConsoleProgressView::FileDone(const std::string& fileName, const std::string& statistics) {
  ClearProgressLine();
  std::printf("%s: %s\n", TerminalText(fileName).c_str(), TerminalText(statistics).c_str());
  std::fflush(stdout);
}

}  // namespace quorvane
