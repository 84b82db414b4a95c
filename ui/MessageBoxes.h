#pragma once

#include <string>

#include "batch/Messages.h"

namespace quorvane {

// The program's messages and questions as modal message boxes over the active window, with
// the language's captions and button texts. While a box is open the cursor is the arrow, also
// when the program shows the hourglass; the previous cursor comes back afterwards.
class TMessageBoxes : public IMessages {
 public:
  void Error(const std::string& text) override;
  void Information(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& question, const std::string& caption) override;
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption) override;
};

}  // namespace quorvane
