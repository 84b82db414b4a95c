// The tag list and tag item dialogs, headless; the item dialog is answered by a script.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <deque>
#include <functional>

#include "FakeMessages.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "ui/TagItemDialog.h"
#include "ui/TagListDialog.h"
#include "ui/TagListView.h"

namespace quorvane {
namespace {

using TAnswer = std::function<int(TTagItemDialog&)>;

// Types a name and a count into the item dialog and presses OK.
TAnswer Enter(const std::string& name, uint32_t count) {
  return [=](TTagItemDialog& dialog) {
    dialog.EditTagname->setText(UiText(name));
    if (count == 0) {
      dialog.CheckBoxTreatall->setChecked(true);
    } else {
      dialog.CheckBoxTreatall->setChecked(false);
      dialog.SpinEdit1->setValue(static_cast<int>(count));
    }
    dialog.CheckBoxTreatallClick();
    return int(QDialog::Accepted);
  };
}

TAnswer Cancel() {
  return [](TTagItemDialog&) { return int(QDialog::Rejected); };
}

class TagListDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetItemDialogRunner([this](TTagItemDialog& dialog) {
      shownNames_.push_back(ProgramText(dialog.EditTagname->text()));
      if (answers_.empty()) {
        ADD_FAILURE() << "the item dialog was shown once too often";
        return int(QDialog::Rejected);
      }
      TAnswer answer = std::move(answers_.front());
      answers_.pop_front();
      return answer(dialog);
    });
  }

  void Load(const std::string& commaText) {
    TTagsCommaList list;
    list.SetCommaText(commaText);
    form_.LoadTags(list);
    form_.FormShow();
  }
  std::string CommaText() const { return form_.Tags().CommaText(); }

  // The names of the rows from top to bottom.
  std::vector<std::string> Rows() const {
    std::vector<std::string> names;
    for (int row = 0; row < form_.ListViewTags->RowCount(); ++row) {
      names.push_back(ProgramText(form_.ListViewTags->Row(row)->text(0)));
    }
    return names;
  }
  void MakeCurrent(const std::string& name) {
    const std::vector<std::string> rows = Rows();
    const auto row = std::find(rows.begin(), rows.end(), name) - rows.begin();
    form_.ListViewTags->setCurrentItem(form_.ListViewTags->Row(static_cast<int>(row)));
  }

  test::TMessagesScope messages_;
  TTagListDialog form_;
  std::deque<TAnswer> answers_;
  std::vector<std::string> shownNames_;
};

TEST_F(TagListDialog, ResetIsEnabledExactlyWhileTheListDiffersFromTheDefault) {
  form_.LoadTags(TTagsCommaList::Default());
  form_.FormShow();
  EXPECT_EQ(form_.ListViewTags->RowCount(), 60);
  EXPECT_FALSE(form_.ButtonReset->isEnabled());

  MakeCurrent("TITLE");
  answers_.push_back(Enter("TITLE", 0));
  form_.ButtonEdit->click();
  EXPECT_TRUE(form_.ButtonReset->isEnabled());
  EXPECT_NE(CommaText().find("TITLE,0,TR"), std::string::npos);

  form_.ListViewTags->setCurrentItem(form_.ListViewTags->Row(0));
  form_.ButtonDelete->click();
  EXPECT_EQ(form_.ListViewTags->RowCount(), 59);
  form_.ButtonReset->click();
  EXPECT_EQ(CommaText(), std::string(kDefaultTagListText));
  EXPECT_FALSE(form_.ButtonReset->isEnabled());

  // Each opening compares against a default list built anew, also after a hide.
  form_.FormHide();
  form_.FormShow();
  EXPECT_FALSE(form_.ButtonReset->isEnabled());
}

// Counts compare as their displayed text ("10" < "2" < "all"); equal texts keep no order.
TEST_F(TagListDialog, SortsByNameOrByTheDisplayedCountTextInBothDirections) {
  Load("a,2,B,10,C,0,D,2");
  EXPECT_EQ(form_.ListViewTags->Row(1)->text(1), "all");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B", "C", "D", "a"}));  // byte order
  const std::tuple<int, int, const char*, const char*> clicks[] = {
      {0, TTagListView::NameDescending, "a", "B"},
      {1, TTagListView::CountAscending, "B", "C"},
      {1, TTagListView::CountDescending, "C", "B"},
      {0, TTagListView::NameAscending, "B", "a"}};
  for (const auto& [column, mode, first, last] : clicks) {
    form_.ListViewTagsColumnClick(column);
    EXPECT_EQ(form_.ListViewTags->Tag, mode);
    EXPECT_EQ(Rows().front(), first) << mode;
    EXPECT_EQ(Rows().back(), last) << mode;
  }
  // A new row goes to its sorted place under the current mode.
  form_.ListViewTagsColumnClick(0);
  answers_.push_back(Enter("E", 0));
  form_.ButtonNewClick();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "E", "D", "C", "B"}));
}

// Edit needs one selected row, Delete any; several rows go without a question.
TEST_F(TagListDialog, EnablingFollowsTheNumberOfSelectedRows) {
  Load("A,0,B,0,C,0,D,0");
  for (const auto& [rows, edit, remove] :
       {std::tuple<std::vector<int>, bool, bool>{{}, false, false},
        {{1}, true, true},
        {{0, 1, 3}, false, true}}) {
    form_.ListViewTags->clearSelection();
    for (int row : rows) {
      form_.ListViewTags->Row(row)->setSelected(true);
    }
    EXPECT_EQ(form_.ButtonEdit->isEnabled(), edit) << rows.size();
    EXPECT_EQ(form_.PopupMenuTagListEdit->isEnabled(), edit) << rows.size();
    EXPECT_EQ(form_.ButtonDelete->isEnabled(), remove) << rows.size();
    EXPECT_EQ(form_.PopupMenuTagListDelete->isEnabled(), remove) << rows.size();
  }
  form_.PopupMenuTagListDelete->trigger();
  EXPECT_EQ(CommaText(), "C,0");
  EXPECT_TRUE(messages_->Errors.empty());
  EXPECT_TRUE(form_.PopupMenuTagListSelectall->isEnabled());
  form_.PopupMenuTagListSelectall->trigger();
  EXPECT_EQ(form_.ListViewTags->selectedItems().size(), 1);
  EXPECT_FALSE(form_.PopupMenuTagListSelectall->isEnabled());
}

TEST_F(TagListDialog, NewTagIsUpperCasedTrimmedAndRefusedWhenItExists) {
  Load("BR,0,P,0");
  answers_.push_back(Enter(" br\t", 0));
  answers_.push_back(Cancel());
  form_.ButtonNew->click();
  ASSERT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(messages_->Errors[0], GetText(textid::kTagNameExists));
  // The dialog came back with the typed text, blanks included.
  ASSERT_EQ(shownNames_.size(), 2u);
  EXPECT_EQ(shownNames_[1], " br\t");
  EXPECT_EQ(CommaText(), "BR,0,P,0");

  answers_.push_back(Enter("  xmp ", 3));
  form_.ButtonNew->click();
  EXPECT_EQ(CommaText(), "BR,0,P,0,XMP,3");
  EXPECT_EQ(form_.ListViewTags->currentItem()->text(0), "XMP");
  // The next new entry starts empty again.
  EXPECT_TRUE(form_.FormTagItem->CheckBoxTreatall->isChecked());
  EXPECT_EQ(form_.FormTagItem->SpinEdit1->value(), 1);

  answers_.push_back(Enter("   ", 0));
  answers_.push_back(Cancel());
  form_.ButtonNew->click();
  EXPECT_EQ(messages_->Errors.back(), GetText(textid::kTagNameEmpty));
  EXPECT_EQ(form_.ListViewTags->RowCount(), 3);
}

TEST_F(TagListDialog, EditingChangesOnlyWhatTheUserChanged) {
  Load("B,0,P,0");
  MakeCurrent("P");
  answers_.push_back([](TTagItemDialog&) { return int(QDialog::Accepted); });
  form_.ButtonEdit->click();
  EXPECT_EQ(shownNames_.back(), "P");
  EXPECT_EQ(CommaText(), "B,0,P,0");

  answers_.push_back(Enter("b", 5));  // another row's name
  answers_.push_back(Enter("q", 5));
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "B,0,Q,5");
  EXPECT_EQ(form_.ListViewTags->currentItem()->text(0), "Q");

  // A name stored in lower case (from the settings) is the edited row's own name, no
  // duplicate of itself.
  Load("td,0,TR,0");
  MakeCurrent("td");
  answers_.push_back(Enter("td", 2));
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "TD,2,TR,0");
}

TEST(TagItemDialog, CountAndOkButtonFollowTheInput) {
  TTagItemDialog dialog;
  EXPECT_EQ(dialog.GetCount(), 0u);
  EXPECT_FALSE(dialog.SpinEdit1->isEnabled());
  dialog.EditTagname->setText(" \t ");
  EXPECT_FALSE(dialog.ButtonOk->isEnabled());
  dialog.EditTagname->setText(" a ");
  EXPECT_TRUE(dialog.ButtonOk->isEnabled());

  dialog.SetCount(12);
  EXPECT_TRUE(dialog.SpinEdit1->isEnabled());
  dialog.CheckBoxTreatall->setChecked(true);
  dialog.CheckBoxTreatallClick();
  EXPECT_EQ(dialog.GetCount(), 0u);
  // Clearing the box brings back the last value.
  dialog.CheckBoxTreatall->setChecked(false);
  dialog.CheckBoxTreatallClick();
  EXPECT_EQ(dialog.GetCount(), 12u);
}

}  // namespace
}  // namespace quorvane
