// The tag list and tag item dialogs, headless; the item dialog is answered by a script.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <deque>
#include <functional>

#include "FakeMessages.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/TestSupport.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
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

TAnswer PressOk() {
  return [](TTagItemDialog&) { return int(QDialog::Accepted); };
}

class TagListDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetItemDialogRunner([this](TTagItemDialog& dialog) {
      shownNames_.push_back(ProgramText(dialog.EditTagname->text()));
      shownCaptions_.push_back(ProgramText(dialog.windowTitle()));
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
  void Select(std::initializer_list<int> rows) {
    form_.ListViewTags->clearSelection();
    for (int row : rows) {
      form_.ListViewTags->Row(row)->setSelected(true);
    }
  }
  QTreeWidgetItem* RowNamed(const std::string& name) const {
    for (int row = 0; row < form_.ListViewTags->RowCount(); ++row) {
      if (ProgramText(form_.ListViewTags->Row(row)->text(0)) == name) {
        return form_.ListViewTags->Row(row);
      }
    }
    return nullptr;
  }

  test::TMessagesScope messages_;
  TTagListDialog form_;
  std::deque<TAnswer> answers_;
  std::vector<std::string> shownNames_;
  std::vector<std::string> shownCaptions_;
};

TEST_F(TagListDialog, ResetIsEnabledExactlyWhileTheListDiffersFromTheDefault) {
  form_.LoadTags(TTagsCommaList::Default());
  form_.FormShow();
  EXPECT_EQ(form_.ListViewTags->RowCount(), 60);
  EXPECT_FALSE(form_.ButtonReset->isEnabled());

  form_.ListViewTags->setCurrentItem(RowNamed("TITLE"));
  answers_.push_back(Enter("TITLE", 0));
  form_.ButtonEdit->click();
  EXPECT_TRUE(form_.ButtonReset->isEnabled());
  EXPECT_NE(CommaText().find("TITLE,0,TR"), std::string::npos);

  Select({0, 1, 2});
  form_.ButtonDelete->click();
  EXPECT_EQ(form_.ListViewTags->RowCount(), 57);
  form_.ButtonReset->click();
  EXPECT_EQ(CommaText(), std::string(kDefaultTagListText));
  EXPECT_FALSE(form_.ButtonReset->isEnabled());

  // Each opening compares against a default list built anew, also after a hide.
  form_.FormHide();
  form_.FormShow();
  EXPECT_FALSE(form_.ButtonReset->isEnabled());
}

TEST_F(TagListDialog, SortsByNameOrByTheDisplayedCountTextInBothDirections) {
  Load("a,2,B,10,C,0,D,2");
  EXPECT_EQ(form_.ListViewTags->Row(0)->text(1), "10");
  EXPECT_EQ(form_.ListViewTags->Row(1)->text(1), "all");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B", "C", "D", "a"}));  // byte order
  form_.ListViewTagsColumnClick(0);
  EXPECT_EQ(form_.ListViewTags->Tag, TTagListView::NameDescending);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "D", "C", "B"}));

  form_.ListViewTagsColumnClick(1);
  EXPECT_EQ(form_.ListViewTags->Tag, TTagListView::CountAscending);
  // "10" < "2" < "all": counts compare as text; equal texts keep no particular order.
  EXPECT_EQ(Rows().front(), "B");
  EXPECT_EQ(Rows().back(), "C");
  form_.ListViewTagsColumnClick(1);
  EXPECT_EQ(form_.ListViewTags->Tag, TTagListView::CountDescending);
  EXPECT_EQ(Rows().front(), "C");
  EXPECT_EQ(Rows().back(), "B");

  form_.ListViewTagsColumnClick(0);
  EXPECT_EQ(form_.ListViewTags->Tag, TTagListView::NameAscending);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B", "C", "D", "a"}));

  // A new row goes to its sorted place under the current mode.
  form_.ListViewTagsColumnClick(0);
  answers_.push_back(Enter("E", 0));
  form_.ButtonNewClick();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "E", "D", "C", "B"}));
}

TEST_F(TagListDialog, EnablingFollowsTheNumberOfSelectedRows) {
  Load("A,0,B,0,C,0,D,0");
  EXPECT_FALSE(form_.ButtonEdit->isEnabled());
  EXPECT_FALSE(form_.ButtonDelete->isEnabled());
  EXPECT_TRUE(form_.PopupMenuTagListSelectall->isEnabled());

  Select({1});
  EXPECT_TRUE(form_.ButtonEdit->isEnabled());
  EXPECT_TRUE(form_.PopupMenuTagListEdit->isEnabled());
  EXPECT_TRUE(form_.PopupMenuTagListDelete->isEnabled());

  Select({0, 1, 3});
  EXPECT_FALSE(form_.ButtonEdit->isEnabled());
  EXPECT_FALSE(form_.PopupMenuTagListEdit->isEnabled());
  EXPECT_TRUE(form_.ButtonDelete->isEnabled());
  form_.PopupMenuTagListDelete->trigger();
  EXPECT_EQ(CommaText(), "C,0");
  EXPECT_TRUE(messages_->Errors.empty());  // no question before deleting

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
  EXPECT_EQ(shownCaptions_[0], CapText(GetText(textid::kNewTagCaption)));
  EXPECT_EQ(CommaText(), "BR,0,P,0");

  answers_.push_back(Enter("  xmp ", 3));
  form_.ButtonNew->click();
  EXPECT_EQ(CommaText(), "BR,0,P,0,XMP,3");
  ASSERT_EQ(form_.ListViewTags->selectedItems().size(), 1);
  EXPECT_EQ(form_.ListViewTags->selectedItems()[0]->text(0), "XMP");
  EXPECT_EQ(form_.ListViewTags->currentItem()->text(0), "XMP");
  EXPECT_TRUE(form_.ButtonReset->isEnabled());
  // The next new entry starts empty again.
  EXPECT_TRUE(form_.FormTagItem->CheckBoxTreatall->isChecked());
  EXPECT_EQ(form_.FormTagItem->SpinEdit1->value(), 1);

  answers_.push_back(Enter("   ", 0));
  answers_.push_back(Cancel());
  form_.ButtonNew->click();
  ASSERT_EQ(messages_->Errors.size(), 2u);
  EXPECT_EQ(messages_->Errors[1], GetText(textid::kTagNameEmpty));
  EXPECT_EQ(form_.ListViewTags->RowCount(), 3);
}

TEST_F(TagListDialog, EditingChangesOnlyWhatTheUserChanged) {
  Load("B,0,P,0");
  form_.ListViewTags->setCurrentItem(RowNamed("P"));
  answers_.push_back(PressOk());
  form_.ButtonEdit->click();
  EXPECT_EQ(shownNames_.back(), "P");
  EXPECT_EQ(shownCaptions_.back(), CapText(GetText(textid::kEditTagCaption)));
  EXPECT_EQ(CommaText(), "B,0,P,0");

  answers_.push_back(Enter("p", 5));
  form_.ButtonEdit->click();
  EXPECT_EQ(CommaText(), "B,0,P,5");

  answers_.push_back(Enter("b", 5));
  answers_.push_back(Cancel());
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "B,0,P,5");

  answers_.push_back(Enter("Q", 5));
  form_.ButtonEdit->click();
  EXPECT_EQ(CommaText(), "B,0,Q,5");
  EXPECT_EQ(form_.ListViewTags->currentItem()->text(0), "Q");

  // A name stored in lower case (from the settings) is the edited row's own name, no
  // duplicate of itself.
  Load("td,0,TR,0");
  form_.ListViewTags->setCurrentItem(RowNamed("td"));
  answers_.push_back(Enter("td", 2));
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "TD,2,TR,0");
}

TEST(TagItemDialog, CountAndOkButtonFollowTheInput) {
  TTagItemDialog dialog;
  EXPECT_TRUE(dialog.CheckBoxTreatall->isChecked());
  EXPECT_FALSE(dialog.SpinEdit1->isEnabled());
  EXPECT_FALSE(dialog.ButtonOk->isEnabled());
  EXPECT_EQ(dialog.GetCount(), 0u);

  dialog.EditTagname->setText(" \t ");
  EXPECT_FALSE(dialog.ButtonOk->isEnabled());
  dialog.EditTagname->setText(" a ");
  EXPECT_TRUE(dialog.ButtonOk->isEnabled());

  dialog.SetCount(12);
  EXPECT_FALSE(dialog.CheckBoxTreatall->isChecked());
  EXPECT_TRUE(dialog.SpinEdit1->isEnabled());
  EXPECT_EQ(dialog.GetCount(), 12u);

  dialog.CheckBoxTreatall->setChecked(true);
  dialog.CheckBoxTreatallClick();
  EXPECT_EQ(dialog.GetCount(), 0u);
  EXPECT_FALSE(dialog.SpinEdit1->isEnabled());
  // Clearing the box brings back the last value.
  dialog.CheckBoxTreatall->setChecked(false);
  dialog.CheckBoxTreatallClick();
  EXPECT_TRUE(dialog.SpinEdit1->isEnabled());
  EXPECT_EQ(dialog.GetCount(), 12u);
}

TEST(TagListRoad, OkGivesTheEditedListAndCancelKeepsTheCallersList) {
  test::TMessagesScope messages;
  TTagListDialog form;
  int helpContext = 0;
  QObject::connect(&form, &TTagListDialog::HelpRequested,
                   [&](int context) { helpContext = context; });
  form.SetItemDialogRunner(Enter("NEW", 0));

  TTagsCommaList list;
  list.SetCommaText("A,1");
  QTimer::singleShot(0, &form, [&] {
    form.ButtonNewClick();
    form.ButtonHelp->click();
    form.ButtonCancel->click();
  });
  EXPECT_FALSE(EditTagList(form, list));
  EXPECT_EQ(list.CommaText(), "A,1");
  EXPECT_EQ(helpContext, 123);

  QTimer::singleShot(0, &form, [&] {
    form.ButtonNewClick();
    form.ButtonOk->click();
  });
  EXPECT_TRUE(EditTagList(form, list));
  EXPECT_EQ(list.CommaText(), "A,1,NEW,0");
}

}  // namespace
}  // namespace quorvane
