// Find and replace through the dialogs, with the search pattern language.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "FormMainFixture.h"
#include "ui/FindReplaceDialog.h"

namespace quorvane::test {
namespace {

class SearchTest : public FormMainTest {
 protected:
  // Fills the dialog as the user would.
  void Fill(TFindReplaceDialog* dialog, const QString& find, const QString& replace = {},
            bool matchCase = false) {
    dialog->findChild<QLineEdit*>("EditFindText")->setText(find);
    if (auto* edit = dialog->findChild<QLineEdit*>("EditReplaceText")) {
      edit->setText(replace);
    }
    dialog->findChild<QCheckBox*>("CheckBoxMatchCase")->setChecked(matchCase);
  }
  void Click(TFindReplaceDialog* dialog, const char* button) {
    dialog->findChild<QPushButton*>(button)->click();
  }
  QString Selected() { return Edit().SelText(); }
  void Find(const QString& pattern, bool matchCase = false) {
    Fill(form->FindDialog1, pattern, {}, matchCase);
    Click(form->FindDialog1, "ButtonFindNext");
  }
};

TEST_F(SearchTest, PatternsSelectTheFirstShortestMatchAfterTheSelection) {
  SetText("xaxxbxb");
  Find("a*b");
  EXPECT_EQ(Selected(), "axxb");
  EXPECT_EQ(Edit().SelStart(), 1);

  SetText("cab xab");
  Edit().SetSelection(4, 0);
  Find("ab?");
  EXPECT_EQ(Selected(), "ab");  // the trailing ? matches nothing at the end of the text
  EXPECT_EQ(Edit().SelStart(), 5);

  SetText("12a3");
  Find("[!0-9]");
  EXPECT_EQ(Selected(), "a");
  SetText("a]b");
  Find("[]]");
  EXPECT_EQ(Selected(), "]");

  SetText("<TD class=x>");
  Find("<td*>");
  EXPECT_EQ(Selected(), "<TD class=x>");
  Edit().SetSelection(0, 0);
  Find("<td*>", true);
  EXPECT_EQ(Edit().SelLength(), 0);
  ASSERT_EQ(dialogs->Messages.size(), 1u);
  EXPECT_EQ(dialogs->Messages[0], "Cannot find \"<td*>\".");

  // A line break is one position and "\n" in a pattern.
  SetText("one\r\ntwo");
  Find("e\\nt");
  EXPECT_EQ(Edit().SelStart(), 2);
  EXPECT_EQ(Edit().SelLength(), 3);
}

TEST_F(SearchTest, FindNextTwiceOnOneMatchReportsAndKeepsTheMatch) {
  SetText("one match");
  Find("match");
  EXPECT_EQ(Selected(), "match");
  form->MainMenuSearchSearchmore->trigger();
  EXPECT_EQ(Selected(), "match");
  ASSERT_EQ(dialogs->Messages.size(), 1u);
  EXPECT_EQ(dialogs->Messages[0], "Cannot find \"match\".");
}

TEST_F(SearchTest, AnInvalidPatternSelectsNothingAndReplaceAllCountsNone) {
  SetText("[abc");
  Find("[abc");
  ASSERT_EQ(dialogs->Errors.size(), 1u);
  EXPECT_EQ(dialogs->Errors[0], "The search text is not a valid pattern.");
  EXPECT_EQ(Edit().SelLength(), 0);
  Fill(form->ReplaceDialog1, "[", "x");
  Click(form->ReplaceDialog1, "ButtonReplaceAll");
  EXPECT_EQ(dialogs->Errors.size(), 2u);
  EXPECT_EQ(dialogs->Messages.back(), "0 occurrence(s) replaced.");
  EXPECT_EQ(Text(), "[abc");
}

TEST_F(SearchTest, ReplaceAllTerminatesWithItsCountAsOneUndoStep) {
  SetText("aaa");
  Edit().SetSelection(0, 0);
  Fill(form->ReplaceDialog1, "a", "ba");
  Click(form->ReplaceDialog1, "ButtonReplaceAll");
  EXPECT_EQ(Text(), "bababa");
  EXPECT_EQ(dialogs->Messages.back(), "3 occurrence(s) replaced.");
  form->MainMenuEditUndo->trigger();
  EXPECT_EQ(Text(), "aaa");

  // Empty matches move on, so that even "*" ends.
  SetText("ab");
  Fill(form->ReplaceDialog1, "*", "-");
  Click(form->ReplaceDialog1, "ButtonReplaceAll");
  EXPECT_EQ(Text(), "-a-b");
  EXPECT_EQ(dialogs->Messages.back(), "2 occurrence(s) replaced.");

  // From after the selection only; Replace next repeats the last kind of replacement.
  SetText("x1 x2 x3");
  Edit().SetSelection(0, 2);
  Fill(form->ReplaceDialog1, "x", "y");
  Click(form->ReplaceDialog1, "ButtonReplaceAll");
  EXPECT_EQ(Text(), "x1 y2 y3");
  SetText("x x");
  form->MainMenuSearchReplacemore->trigger();
  EXPECT_EQ(Text(), "y y");
}

TEST_F(SearchTest, ReplaceReplacesALiteralMatchAndMovesOn) {
  SetText("Cat cat cat");
  Edit().SetSelection(0, 3);  // "Cat": the search text in other case
  Fill(form->ReplaceDialog1, "cat", "dog");
  Click(form->ReplaceDialog1, "ButtonReplace");
  EXPECT_EQ(Text(), "dog cat cat");
  EXPECT_EQ(Edit().SelStart(), 4);
  EXPECT_EQ(Selected(), "cat");

  // A match that a wildcard found is replaced too, and the next one is selected.
  SetText("ab ab");
  Fill(form->ReplaceDialog1, "a?", "X");
  Click(form->ReplaceDialog1, "ButtonReplace");
  EXPECT_EQ(Selected(), "ab");
  Click(form->ReplaceDialog1, "ButtonReplace");
  EXPECT_EQ(Text(), "X ab");
  EXPECT_EQ(Edit().SelStart(), 2);
  EXPECT_EQ(Selected(), "ab");
}

TEST_F(SearchTest, OpeningADialogTakesAShortSelectionAndClosesTheOther) {
  SetText(std::string(120, 'a') + " word");
  Edit().SetSelection(121, 4);
  form->MainMenuSearchSearch->trigger();
  EXPECT_EQ(form->FindDialog1->FindText(), "word");
  EXPECT_TRUE(form->FindDialog1->isVisible());
  Edit().SetSelection(0, 100);
  form->MainMenuSearchReplace->trigger();
  EXPECT_EQ(form->ReplaceDialog1->FindText(), "");  // 100 characters are too many
  EXPECT_TRUE(form->ReplaceDialog1->isVisible());
  EXPECT_FALSE(form->FindDialog1->isVisible());
  form->ToolButtonSearch->trigger();
  EXPECT_TRUE(form->FindDialog1->isVisible());
  EXPECT_FALSE(form->ReplaceDialog1->isVisible());
}

}  // namespace
}  // namespace quorvane::test
