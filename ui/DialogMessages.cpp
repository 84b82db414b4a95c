#include "ui/DialogMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdint>

#include "batch/UiText.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {
constexpr char kProgramCaption[] = "Quorvane";

// While a box is open the mouse shows the arrow, also over a window that waits for work.
class TArrowCursor {
 public:
  TArrowCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~TArrowCursor() { QApplication::restoreOverrideCursor(); }
  TArrowCursor(const TArrowCursor&) = delete;
  TArrowCursor& operator=(const TArrowCursor&) = delete;
};

QPushButton* AddButton(QMessageBox& box, QMessageBox::StandardButton button, uint32_t textId,
                       const char* fallback) {
  QPushButton* added = box.addButton(button);
  added->setText(UiText(CapText(GetText(textId, fallback))));
  return added;
}

QString CaptionText(const QString& caption) {
  return caption.isEmpty() ? QString(kProgramCaption) : caption;
}
}  // namespace

void TDialogMessages::ShowError(const QString& text) {
  QApplication::beep();
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Critical, kProgramCaption, text, QMessageBox::NoButton, parent_);
  box.setDefaultButton(AddButton(box, QMessageBox::Ok, textid::kOk, "OK"));
  box.exec();
}

void TDialogMessages::ShowInformation(const QString& text, const QString& caption) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::NoIcon, CaptionText(caption), text, QMessageBox::NoButton, parent_);
  box.setDefaultButton(AddButton(box, QMessageBox::Ok, textid::kOk, "OK"));
  box.exec();
}

// Escape is the last button: No, or Cancel when there is one.
IMessages::TAnswer TDialogMessages::Ask(const QString& question, const QString& caption,
                                        bool withCancel) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Question, CaptionText(caption), question, QMessageBox::NoButton,
                  parent_);
  QPushButton* yes = AddButton(box, QMessageBox::Yes, textid::kYes, "Yes");
  QPushButton* no = AddButton(box, QMessageBox::No, textid::kNo, "No");
  QPushButton* cancel =
      withCancel ? AddButton(box, QMessageBox::Cancel, textid::kCancel, "Cancel") : nullptr;
  box.setDefaultButton(yes);
  box.setEscapeButton(withCancel ? cancel : no);
  box.exec();
  if (box.clickedButton() == yes) {
    return TAnswer::Yes;
  }
  return box.clickedButton() == no ? TAnswer::No : TAnswer::Cancel;
}

IMessages::TErrorChoice TDialogMessages::AskAboutError(const QString& text,
                                                       const QString& caption) {
  QApplication::beep();
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Critical, CaptionText(caption), text, QMessageBox::NoButton,
                  parent_);
  QPushButton* abort = AddButton(box, QMessageBox::Abort, textid::kAbort, "Abort");
  QPushButton* retry = AddButton(box, QMessageBox::Retry, textid::kRetry, "Retry");
  QPushButton* ignore = AddButton(box, QMessageBox::Ignore, textid::kIgnore, "Ignore");
  box.setDefaultButton(abort);
  box.setEscapeButton(abort);
  box.exec();
  if (box.clickedButton() == retry) {
    return TErrorChoice::Retry;
  }
  if (box.clickedButton() == ignore) {
    return TErrorChoice::Ignore;
  }
  return TErrorChoice::Abort;
}

}  // namespace quorvane
