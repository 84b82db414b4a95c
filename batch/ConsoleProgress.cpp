#include "batch/ConsoleProgress.h"

#include <cstdio>

#include "batch/Messages.h"
#include "lang/Language.h"
#include "platform/System.h"
#include "support/Rounding.h"
#include "support/ShownName.h"
#include "support/TextIds.h"

namespace quorvane {

namespace {
constexpr uint32_t kQuietStart = 500;  // files done faster show no progress line
constexpr uint32_t kLineInterval = 200;
}  // namespace

std::string SummaryLine(const TBatchTotals& totals, uint32_t milliseconds) {
  const double before = static_cast<double>(totals.BytesBefore);
  const double after = static_cast<double>(totals.BytesAfter);
  const long long percent =
      totals.BytesBefore == 0 ? 0 : RoundHalfEven((1.0 - after / before) * 100.0);
  const uint32_t tenths = static_cast<uint32_t>(RoundHalfEven(milliseconds / 100.0));
  return std::to_string(totals.Files) + " " + GetText(textid::kSummaryFiles) + ", " +
         std::to_string(totals.BytesBefore) + " -> " + std::to_string(totals.BytesAfter) + " " +
         GetText(textid::kSummaryBytes) + ", " + std::to_string(percent) + " % " +
         GetText(textid::kSummarySaved) + ", " + std::to_string(tenths / 10) +
         FormatSettings().DecimalSeparator + std::to_string(tenths % 10) + " " +
         GetText(textid::kSummarySeconds);
}

void TConsoleProgressView::ShowLine(const std::string& text) {
  ClearProgressLine();
  std::fprintf(lines_, "%s\n", TerminalText(text).c_str());
  std::fflush(lines_);
}

void TConsoleProgressView::ShowSummary(const TBatchTotals& totals, uint32_t milliseconds) {
  if (!quiet_ && totals.Files > 1) {
    ShowLine(SummaryLine(totals, milliseconds));
  }
}

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
  if (!first && !quiet_) {
    ShowLine(caption);
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
      std::fprintf(stderr, "\r\x1b[K%3d %% %s", model.MainPosition(),
                   TerminalText(ShownName(file_)).c_str());
      std::fflush(stderr);
      lineShown_ = true;
    }
    return;
  }
  finished_ = true;
  ClearProgressLine();
}

void TConsoleProgressView::FileDone(const std::string& fileName, const std::string& statistics) {
  if (!quiet_) {
    ShowLine(ShownName(fileName) + ": " + statistics);
  }
}

}  // namespace quorvane
