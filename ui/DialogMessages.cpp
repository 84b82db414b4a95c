#include "ui/DialogMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdint>

#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/UiText.h"

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

QString ButtonText(uint32_t textId, const char* fallback) {
  return UiText(CapText(GetText(textId, fallback)));
}

QPushButton* AddButton(QMessageBox& box, QMessageBox::StandardButton button, uint32_t textId,
                       const char* fallback) {
  QPushButton* added = box.addButton(button);
  added->setText(ButtonText(textId, fallback));
  return added;
}

QString CaptionText(const std::string& caption) {
  return UiText(caption.empty() ? std::string(kProgramCaption) : caption);
}
}  // namespace

void TDialogMessages::Error(const std::string& text) {
  QApplication::beep();
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Critical, kProgramCaption, UiText(text), QMessageBox::NoButton,
                  parent_);
  box.setDefaultButton(AddButton(box, QMessageBox::Ok, textid::kOk, "OK"));
  box.exec();
}

void TDialogMessages::Information(const std::string& text, const std::string& caption) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Information, CaptionText(caption), UiText(text),
                  QMessageBox::NoButton, parent_);
  box.setDefaultButton(AddButton(box, QMessageBox::Ok, textid::kOk, "OK"));
  box.exec();
}

bool TDialogMessages::AskYesNo(const std::string& question, const std::string& caption) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Question, CaptionText(caption), UiText(question),
                  QMessageBox::NoButton, parent_);
  QPushButton* yes = AddButton(box, QMessageBox::Yes, textid::kYes, "Yes");
  QPushButton* no = AddButton(box, QMessageBox::No, textid::kNo, "No");
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

IMessages::TErrorChoice TDialogMessages::AskAbortRetryIgnore(const std::string& text,
                                                             const std::string& caption) {
  QApplication::beep();
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Critical, CaptionText(caption), UiText(text), QMessageBox::NoButton,
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
