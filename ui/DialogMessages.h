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

 private:
  void ShowError(const QString& text) override;
  void ShowInformation(const QString& text, const QString& caption) override;
  TAnswer Ask(const QString& question, const QString& caption, bool withCancel) override;
  TErrorChoice AskAboutError(const QString& text, const QString& caption) override;

  QPointer<QWidget> parent_;
};

}  // namespace quorvane
