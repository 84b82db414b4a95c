#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/Document.h"
#include "batch/ProgressModel.h"

namespace quorvane {

// "3 files, 12000 -> 9000 bytes, 25 % saved, 0.4 seconds": the summary of a batch.
std::string SummaryLine(const TBatchTotals& totals, uint32_t milliseconds);

// The progress in a terminal: one statistics line per file once it is done (written too) on
// `lines` (standard output, or standard error while standard output carries a document), the
// caption when it changed at the start of a file and, on a terminal, a progress line on
// standard error while a long file is worked on. Quiet, it shows none of these.
class TConsoleProgressView : public IProgressView {
 public:
  TConsoleProgressView(bool showProgressLine, bool quiet, std::FILE* lines)
      : showProgressLine_(showProgressLine && !quiet), quiet_(quiet), lines_(lines) {}
  void Changed(const TProgressModel& model) override;
  void FileDone(const std::string& fileName, const std::string& statistics) override;
  // The summary line after a batch of more than one file.
  void ShowSummary(const TBatchTotals& totals, uint32_t milliseconds);

 private:
  void ClearProgressLine();
  void ShowCaptionChange(const std::string& caption);
  void ShowLine(const std::string& text);

  bool showProgressLine_;
  bool quiet_;
  std::FILE* lines_;
  bool finished_ = false;   // the last run has finished
  bool lineShown_ = false;  // a progress line stands on standard error
  uint32_t runStart_ = 0;
  uint32_t lastLine_ = 0;
  std::string file_;
  std::string caption_;          // the caption last seen at a run's start
  bool captionChecked_ = false;  // this run's caption was looked at
};

}  // namespace quorvane
