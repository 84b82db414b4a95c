#pragma once

#include <QPointer>
#include <QWidget>

#include "batch/Messages.h"

namespace quorvane {

// The program's messages and questions in message boxes, above `parent` when one is given
// (the main window, or the progress window during a batch).
class TDialogMessages : public IMessages {
 public:
  explicit TDialogMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  using IMessages::AskAbortRetryIgnore;
  using IMessages::AskYesNo;
  using IMessages::Error;
  using IMessages::Information;
  void Error(const QString& text) override;
  void Information(const QString& text, const QString& caption) override;
  bool AskYesNo(const QString& question, const QString& caption) override;
  TAnswer AskYesNoCancel(const QString& question, const QString& caption) override;
  TErrorChoice AskAbortRetryIgnore(const QString& text, const QString& caption) override;

 private:
  TAnswer Ask(const QString& question, const QString& caption, bool withCancel);

  QPointer<QWidget> parent_;
};

}  // namespace quorvane
