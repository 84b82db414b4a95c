#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "ui/UiText.h"

namespace quorvane {
namespace {

struct TButtonText {
  QMessageBox::StandardButton Button;
  uint32_t TextId;
  const char* BuiltIn;
};

class TArrowCursor {
 public:
  TArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~TArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
  TArrowCursor(const TArrowCursor&) = delete;
  TArrowCursor& operator=(const TArrowCursor&) = delete;
};

QMessageBox::StandardButton Show(QMessageBox::Icon icon, const std::string& caption,
                                 const std::string& text, const std::vector<TButtonText>& buttons) {
  QMessageBox box(icon, UiText(caption), UiText(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setObjectName("MessageBox");
  std::vector<std::string> captions;
  for (const TButtonText& button : buttons) {
    captions.push_back(GetText(button.TextId, button.BuiltIn));
  }
  AssignAccelerators(captions);
  for (size_t index = 0; index < buttons.size(); ++index) {
    box.addButton(buttons[index].Button)->setText(UiText(captions[index]));
  }
  box.setDefaultButton(buttons.front().Button);
  const TArrowCursor arrow;
  box.exec();
  return box.standardButton(box.clickedButton());
}

std::string CaptionOr(const std::string& caption, uint32_t textId, const char* builtIn) {
  return caption.empty() ? GetText(textId, builtIn) : caption;
}

}  // namespace

void TMessageBoxes::Error(const std::string& text) {
  Show(QMessageBox::Critical, GetText(textid::kCaptionError, "Error"), text,
       {{QMessageBox::Ok, textid::kOk, "OK"}});
}

void TMessageBoxes::Information(const std::string& text, const std::string& caption) {
  Show(QMessageBox::Information, CaptionOr(caption, textid::kCaptionInformation, "Information"),
       text, {{QMessageBox::Ok, textid::kOk, "OK"}});
}

bool TMessageBoxes::AskYesNo(const std::string& question, const std::string& caption) {
  return Show(QMessageBox::Question,
              CaptionOr(caption, textid::kCaptionConfirmation, "Confirmation"), question,
              {{QMessageBox::Yes, textid::kYes, "Yes"}, {QMessageBox::No, textid::kNo, "No"}}) ==
         QMessageBox::Yes;
}

IMessages::TErrorChoice TMessageBoxes::AskAbortRetryIgnore(const std::string& text,
                                                           const std::string& caption) {
  switch (Show(QMessageBox::Critical, CaptionOr(caption, textid::kCaptionError, "Error"), text,
               {{QMessageBox::Abort, textid::kAbort, "Abort"},
                {QMessageBox::Retry, textid::kRetry, "Retry"},
                {QMessageBox::Ignore, textid::kIgnore, "Ignore"}})) {
    case QMessageBox::Retry:
      return TErrorChoice::Retry;
    case QMessageBox::Ignore:
      return TErrorChoice::Ignore;
    default:
      return TErrorChoice::Abort;
  }
}

}  // namespace quorvane
