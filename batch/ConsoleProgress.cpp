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

void TConsoleProgressView::Changed(const TProgressModel& model) {
  if (!model.Finished()) {
    if (reported_ || model.FileNameLabel() != file_) {  // a new run began
      reported_ = false;
      runStart_ = TickCount();
      file_ = model.FileNameLabel();
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
  if (reported_) {
    return;
  }
  reported_ = true;
  ClearProgressLine();
  std::printf("%s: %s\n", TerminalText(model.FileNameLabel()).c_str(),
              TerminalText(model.AdditionalText()).c_str());
  std::fflush(stdout);
}

}  // namespace quorvane
