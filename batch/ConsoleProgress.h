#pragma once

#include <cstdint>
#include <string>

#include "batch/ProgressModel.h"

namespace quorvane {

// The progress in a terminal: one statistics line per file once it is done (written too) on
// standard output, the caption when it changed at the start of a file and, on a terminal, a
// progress line on standard error while a long file is worked on.
class TConsoleProgressView : public IProgressView {
 public:
  explicit TConsoleProgressView(bool showProgressLine) : showProgressLine_(showProgressLine) {}
  void Changed(const TProgressModel& model) override;
  void FileDone(const std::string& fileName, const std::string& statistics) override;

 private:
  void ClearProgressLine();
  void ShowCaptionChange(const std::string& caption);

  bool showProgressLine_;
  bool finished_ = false;   // the last run has finished
  bool lineShown_ = false;  // a progress line stands on standard error
  uint32_t runStart_ = 0;
  uint32_t lastLine_ = 0;
  std::string file_;
  std::string caption_;          // the caption last seen at a run's start
  bool captionChecked_ = false;  // this run's caption was looked at
};

}  // namespace quorvane
