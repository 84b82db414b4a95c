#pragma once

#include <cstdint>
#include <string>

#include "batch/ProgressModel.h"

namespace quorvane {

// The progress in a terminal: one statistics line per finished file on standard output and,
// on a terminal, a progress line on standard error while a long file is worked on.
class TConsoleProgressView : public IProgressView {
 public:
  explicit TConsoleProgressView(bool showProgressLine) : showProgressLine_(showProgressLine) {}
  void Changed(const TProgressModel& model) override;

 private:
  void ClearProgressLine();

  bool showProgressLine_;
  bool reported_ = false;   // the last run's statistics line is out
  bool lineShown_ = false;  // a progress line stands on standard error
  uint32_t runStart_ = 0;
  uint32_t lastLine_ = 0;
  std::string file_;
};

}  // namespace quorvane
