// The tag list dialog's checks of new and edited tags, headless; the item dialog is answered by
// a script. Storing the list on OK only is the settings commands' test.
#include "ui/TagListDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <deque>
#include <functional>

#include "FakeMessages.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "ui/TagItemDialog.h"
#include "ui/TagListView.h"

namespace quorvane {
namespace {

using TAnswer = std::function<int(TTagItemDialog&)>;

// Types a name and a count (0: all) into the item dialog and presses OK.
TAnswer Enter(const std::string& name, uint32_t count) {
  return [=](TTagItemDialog& dialog) {
    dialog.EditTagname->setText(UiText(name));
    dialog.CheckBoxTreatall->setChecked(count == 0);
    dialog.CheckBoxTreatallClick();
    if (count != 0) {
      dialog.SpinEdit1->setValue(static_cast<int>(count));
    }
    return int(QDialog::Accepted);
  };
}

const TAnswer kCancel = [](TTagItemDialog&) { return int(QDialog::Rejected); };

class TagListDialog : public ::testing::Test {
 protected:
  TagListDialog() {
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
  void MakeCurrent(const std::string& name) {
    const auto rows = form_.ListViewTags->findItems(UiText(name), Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1) << name;
    form_.ListViewTags->setCurrentItem(rows[0]);
  }

  test::TMessagesScope messages_;
  TTagListDialog form_;
  std::deque<TAnswer> answers_;
  std::vector<std::string> shownNames_;
};

// Several rows are deleted at once, without a question; only one can be edited.
TEST_F(TagListDialog, SelectedRowsAreDeletedAtOnce) {
  Load("A,0,B,0,C,0,D,0");
  for (int row : {0, 1, 3}) {
    form_.ListViewTags->Row(row)->setSelected(true);
  }
  EXPECT_FALSE(form_.ButtonEdit->isEnabled());
  form_.PopupMenuTagListDelete->trigger();
  EXPECT_EQ(CommaText(), "C,0");
  EXPECT_TRUE(messages_->Errors.empty());
}

TEST_F(TagListDialog, NewTagIsUpperCasedTrimmedAndRefusedWhenItExists) {
  Load("BR,0,P,0");
  answers_ = {Enter(" br\t", 0), kCancel};
  form_.ButtonNew->click();
  EXPECT_EQ(messages_->Errors, std::vector<std::string>{GetText(textid::kTagNameExists)});
  // The dialog came back with the typed text, blanks included.
  EXPECT_EQ(shownNames_, (std::vector<std::string>{"", " br\t"}));
  EXPECT_EQ(CommaText(), "BR,0,P,0");

  answers_ = {Enter("  xmp ", 3)};
  form_.ButtonNew->click();
  EXPECT_EQ(CommaText(), "BR,0,P,0,XMP,3");
  EXPECT_EQ(form_.ListViewTags->currentItem()->text(0), "XMP");

  answers_ = {Enter("   ", 0), kCancel};
  form_.ButtonNew->click();
  EXPECT_EQ(messages_->Errors.back(), GetText(textid::kTagNameEmpty));
  EXPECT_EQ(form_.ListViewTags->RowCount(), 3);
}

TEST_F(TagListDialog, EditingChangesOnlyWhatTheUserChanged) {
  Load("B,0,P,0");
  MakeCurrent("P");
  answers_ = {[](TTagItemDialog&) { return int(QDialog::Accepted); }};
  form_.ButtonEdit->click();
  EXPECT_EQ(shownNames_.back(), "P");
  EXPECT_EQ(CommaText(), "B,0,P,0");

  answers_ = {Enter("b", 5), Enter("q", 5)};  // first another row's name
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "B,0,Q,5");

  // A name stored in lower case (from the settings) is the edited row's own name, no
  // duplicate of itself.
  Load("td,0,TR,0");
  MakeCurrent("td");
  answers_ = {Enter("td", 2)};
  form_.ButtonEdit->click();
  EXPECT_EQ(messages_->Errors.size(), 1u);
  EXPECT_EQ(CommaText(), "TD,2,TR,0");
}

}  // namespace
}  // namespace quorvane
