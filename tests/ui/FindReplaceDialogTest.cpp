// The find and replace dialogs on their own: what the user types and presses reaches the editor
// through the getters and signals.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "ui/FindReplaceDialog.h"

namespace quorvane {
namespace {

using TKind = TFindReplaceDialog::TKind;

QLineEdit* FindEdit(TFindReplaceDialog& dialog) {
  return dialog.findChild<QLineEdit*>("EditFindText");
}
QPushButton* Button(TFindReplaceDialog& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(name);
}

TEST(FindReplaceDialog, TheFindDialogOffersOnlySearchTextAndMatchCase) {
  TFindReplaceDialog dialog(TKind::Find, nullptr);
  EXPECT_EQ(dialog.Kind(), TKind::Find);
  EXPECT_FALSE(dialog.isModal()) << "the user edits while it is open";
  EXPECT_EQ(dialog.findChild<QLineEdit*>("EditReplaceText"), nullptr);
  EXPECT_EQ(Button(dialog, "ButtonReplace"), nullptr);
  EXPECT_EQ(Button(dialog, "ButtonReplaceAll"), nullptr);
  EXPECT_EQ(dialog.ReplaceText(), QString());

  QSignalSpy shown(&dialog, &TFindReplaceDialog::Shown);
  QSignalSpy findNext(&dialog, &TFindReplaceDialog::FindNext);
  dialog.SetFindText("<td*>");
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(FindEdit(dialog)->selectedText(), "<td*>") << "typing replaces the old search text";

  FindEdit(dialog)->setText(QString::fromUtf8("Größe"));
  dialog.findChild<QCheckBox*>("CheckBoxMatchCase")->setChecked(true);
  EXPECT_EQ(dialog.FindText(), QString::fromUtf8("Größe"));
  EXPECT_TRUE(dialog.MatchCase());

  // Enter in the search field searches, as the Find Next button does.
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(FindEdit(dialog), &enter);
  EXPECT_EQ(findNext.count(), 1);
  EXPECT_TRUE(dialog.isVisible()) << "searching keeps the dialog open";
  Button(dialog, "ButtonFindNext")->click();
  EXPECT_EQ(findNext.count(), 2);

  Button(dialog, "ButtonClose")->click();
  EXPECT_FALSE(dialog.isVisible());
}

TEST(FindReplaceDialog, ReplaceAndReplaceAllAreToldApart) {
  TFindReplaceDialog dialog(TKind::Replace, nullptr);
  EXPECT_EQ(dialog.Kind(), TKind::Replace);
  QSignalSpy replace(&dialog, &TFindReplaceDialog::ReplaceRequested);
  QSignalSpy findNext(&dialog, &TFindReplaceDialog::FindNext);
  dialog.show();
  dialog.SetFindText("a");
  dialog.findChild<QLineEdit*>("EditReplaceText")->setText("b");
  EXPECT_EQ(dialog.FindText(), "a");
  EXPECT_EQ(dialog.ReplaceText(), "b");
  EXPECT_FALSE(dialog.MatchCase());

  Button(dialog, "ButtonReplaceAll")->click();
  ASSERT_EQ(replace.count(), 1);
  EXPECT_TRUE(dialog.ReplaceAll());
  Button(dialog, "ButtonReplace")->click();
  ASSERT_EQ(replace.count(), 2);
  EXPECT_FALSE(dialog.ReplaceAll()) << "a single Replace after Replace All";
  Button(dialog, "ButtonFindNext")->click();
  EXPECT_EQ(findNext.count(), 1);
  EXPECT_EQ(replace.count(), 2) << "Find Next replaces nothing";
}

}  // namespace
}  // namespace quorvane
