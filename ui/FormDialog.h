#pragma once

#include <QDialog>
#include <QHideEvent>
#include <QShowEvent>

namespace quorvane {

// A dialog that makes itself ready each time the program shows it and finishes each time the
// program hides it; the window system uncovering or minimising it counts for neither.
class TFormDialog : public QDialog {
 public:
  using QDialog::QDialog;

  virtual void FormShow() {}
  virtual void FormHide() {}

 protected:
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
      FormShow();
    }
  }
  void hideEvent(QHideEvent* event) override {
    if (!event->spontaneous()) {
      FormHide();
    }
    QDialog::hideEvent(event);
  }
};

}  // namespace quorvane
