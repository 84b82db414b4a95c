#include "ui/DialogMessages.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

// Answers the next message box with the button whose text is `button`, remembering its text.
void AnswerBox(const QString& button, QString* shown) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *shown = box->text();
    for (QAbstractButton* candidate : box->buttons()) {
      if (candidate->text() == button) {
        candidate->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << button.toStdString();
    box->reject();
  });
}

TEST(DialogMessages, BoxesShowTheTextAndReportTheButtonPressedWithAcceleratorsOnTheButtons) {
  TDialogMessages messages;
  QString shown;
  const QString question = "Stop all jobs?";
  using A = IMessages::TAnswer;
  using C = IMessages::TErrorChoice;
  const std::pair<const char*, std::function<bool()>> boxes[] = {
      {"&No", [&] { return !messages.AskYesNo(question, {}); }},
      {"&Yes", [&] { return messages.AskYesNo(question, {}); }},
      {"&Cancel", [&] { return messages.AskYesNoCancel(question, {}) == A::Cancel; }},
      {"&No", [&] { return messages.AskYesNoCancel(question, {}) == A::No; }},
      {"&Retry", [&] { return messages.AskAbortRetryIgnore(question, {}) == C::Retry; }},
      {"&Ignore", [&] { return messages.AskAbortRetryIgnore(question, {}) == C::Ignore; }},
  };
  for (const auto& [button, answered] : boxes) {
    AnswerBox(button, &shown);
    EXPECT_TRUE(answered()) << button;
    EXPECT_EQ(shown, question);
  }
  // A German message: the program's Windows-1252 text converted, the name as it is written.
  ASSERT_EQ(InitLanguage("", FindDataFile("Quorvane_de.nls")), 0);
  AnswerBox("&OK", &shown);
  messages.Error(NameMessage(textid::kFileWriteProtected, "\xC3\x9C\x62ung \xE6\x97\xA5.htm"));
  EXPECT_EQ(shown, QString::fromUtf8("Datei Übung 日.htm ist schreibgeschützt."));
  InitLanguage("", FindDataFile("Quorvane_en.nls"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the arrow cursor is given back";
}

}  // namespace
}  // namespace quorvane
