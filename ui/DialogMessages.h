#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "batch/Messages.h"

namespace quorvane {

// The batch's messages and questions in message boxes, above `parent` when one is given (the
// progress window during a batch).
class TDialogMessages : public IMessages {
 public:
  explicit TDialogMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  void Error(const std::string& text) override;
  void Information(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& question, const std::string& caption) override;
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace quorvane
