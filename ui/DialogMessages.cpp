#include "ui/DialogMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "batch/UiText.h"
#include "lang/Accelerators.h"
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

struct TButtonText {
  QMessageBox::StandardButton Button;
  uint32_t TextId;
  const char* Fallback;
};

// Adds the buttons in order, captioned in the language's words with accelerators across them.
std::vector<QPushButton*> AddButtons(QMessageBox& box, std::initializer_list<TButtonText> buttons) {
  std::vector<std::string> captions;
  for (const TButtonText& button : buttons) {
    captions.push_back(CapText(GetText(button.TextId, button.Fallback)));
  }
  AssignAccelerators(captions);
  std::vector<QPushButton*> added;
  for (const TButtonText& button : buttons) {
    added.push_back(box.addButton(button.Button));
    added.back()->setText(UiText(captions[added.size() - 1]));
  }
  return added;
}

QPushButton* AddOkButton(QMessageBox& box) {
  return AddButtons(box, {{QMessageBox::Ok, textid::kOk, "OK"}}).front();
}

QString CaptionText(const QString& caption) {
  return caption.isEmpty() ? QString(kProgramCaption) : caption;
}
}  // namespace

void TDialogMessages::ShowError(const QString& text) {
  QApplication::beep();
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Critical, kProgramCaption, text, QMessageBox::NoButton, parent_);
  box.setDefaultButton(AddOkButton(box));
  box.exec();
}

void TDialogMessages::ShowInformation(const QString& text, const QString& caption) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::NoIcon, CaptionText(caption), text, QMessageBox::NoButton, parent_);
  box.setDefaultButton(AddOkButton(box));
  box.exec();
}

// Escape is the last button: No, or Cancel when there is one.
IMessages::TAnswer TDialogMessages::Ask(const QString& question, const QString& caption,
                                        bool withCancel) {
  TArrowCursor arrow;
  QMessageBox box(QMessageBox::Question, CaptionText(caption), question, QMessageBox::NoButton,
                  parent_);
  const std::vector<QPushButton*> buttons =
      withCancel ? AddButtons(box, {{QMessageBox::Yes, textid::kYes, "Yes"},
                                    {QMessageBox::No, textid::kNo, "No"},
                                    {QMessageBox::Cancel, textid::kCancel, "Cancel"}})
                 : AddButtons(box, {{QMessageBox::Yes, textid::kYes, "Yes"},
                                    {QMessageBox::No, textid::kNo, "No"}});
  QPushButton* yes = buttons[0];
  QPushButton* no = buttons[1];
  box.setDefaultButton(yes);
  box.setEscapeButton(buttons.back());
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
  const std::vector<QPushButton*> buttons =
      AddButtons(box, {{QMessageBox::Abort, textid::kAbort, "Abort"},
                       {QMessageBox::Retry, textid::kRetry, "Retry"},
                       {QMessageBox::Ignore, textid::kIgnore, "Ignore"}});
  QPushButton* abort = buttons[0];
  QPushButton* retry = buttons[1];
  QPushButton* ignore = buttons[2];
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
