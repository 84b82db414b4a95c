// The context-menu dialog and the extension chooser, headless, on sample MIME data in a
// temporary data directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "FakeMessages.h"
#include "ShellTestSupport.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "shell/ContextMenu.h"
#include "shell/KeyFileActions.h"
#include "ui/ContextMenuDialog.h"
#include "ui/ContextMenuEditing.h"
#include "ui/DoctypeListBox.h"
#include "ui/ExtensionDialog.h"

namespace quorvane {
namespace {

constexpr char kSample[] = "application/x-quorvane-sample";
constexpr char kTwinA[] = "application/x-quorvane-twin-a";
constexpr char kTwinB[] = "application/x-quorvane-twin-b";

class ContextMenuDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    ASSERT_TRUE(WriteClassVerbs({kTwinA}, true, "%s", "Compress", ContextMenuCommandLine()));
  }

  static void ClearEntries() {
    WriteClassVerbs(Registered(), false, "%s", "", ContextMenuCommandLine());
  }
  static TClassList Registered() { return FindRegisteredClasses(ContextMenuCommandLine()); }

  // The row of the line with the document type `name`, or -1.
  int RowOf(TDoctypeListBox* list, const std::string& name) const {
    for (int row = 0; row < list->count(); ++row) {
      const TFileTypeItem* type = form_.TypeOf(list->item(row));
      if (type != nullptr && type->Name == name) {
        return row;
      }
    }
    return -1;
  }
  void Select(TDoctypeListBox* list, const std::string& name) {
    const int row = RowOf(list, name);
    ASSERT_GE(row, 0) << name;
    list->setCurrentRow(row);
  }
  void Add(const std::string& name) {
    Select(form_.ListBoxDoctypesAvail, name);
    form_.ButtonAdd->click();
  }
  void Remove(const std::string& name) {
    Select(form_.ListBoxDoctypesAssigned, name);
    form_.ButtonRemove->click();
  }
  // Runs `during` inside the modal loop that `open` starts.
  static void WhileModal(const std::function<void()>& open, const std::function<void()>& during) {
    QTimer::singleShot(0, during);
    open();
  }

  test::TMessagesScope messages_;
  TExtensionDialog chooser_;
  TContextMenuDialog form_{chooser_};
};

TEST_F(ContextMenuDialog, StartsWithTheRegisteredTypesAssignedAndMovesTypesBetweenTheLists) {
  form_.show();
  TDoctypeListBox* avail = form_.ListBoxDoctypesAvail;
  TDoctypeListBox* assigned = form_.ListBoxDoctypesAssigned;
  EXPECT_EQ(assigned->count(), 1);
  EXPECT_EQ(RowOf(assigned, kTwinA), 0);
  EXPECT_EQ(RowOf(avail, kTwinA), -1);
  ASSERT_GE(RowOf(avail, kTwinB), 0) << "a type of the same description is listed too";
  EXPECT_EQ(avail->item(RowOf(avail, kTwinB))->text(), assigned->item(0)->text());
  Select(avail, kSample);
  EXPECT_EQ(form_.EditExt->text(), "QVA,qvb") << "both extensions of the one type, sorted";
  EXPECT_EQ(avail->item(RowOf(avail, kSample))->text(), "Quorvane sample page");
  const int lines = avail->count() + assigned->count();

  // By double click, and by a drop on the other list only.
  Select(assigned, kTwinA);
  form_.ListBoxDoctypesDblClick(assigned);
  EXPECT_EQ(RowOf(assigned, kTwinA), -1);
  EXPECT_FALSE(form_.ListBoxDragOver(avail, avail)) << "no drop on its own list";
  EXPECT_TRUE(form_.ListBoxDragOver(avail, assigned));
  Select(avail, kTwinB);
  form_.ListBoxDragDrop(avail);
  EXPECT_GE(RowOf(assigned, kTwinB), 0) << "a drag from the available list adds";
  Select(assigned, kTwinB);
  form_.ListBoxDragDrop(assigned);
  EXPECT_EQ(RowOf(assigned, kTwinB), -1) << "a drag from the assigned list removes";
  Add(kSample);
  form_.hide();
  EXPECT_EQ(form_.ChosenClasses(), TClassList{kSample});
  form_.show();
  EXPECT_EQ(avail->count() + assigned->count(), lines) << "the same lines at the next opening";
}

// The caption is stored trimmed, in the program's Windows-1252; a blank one disables OK.
TEST_F(ContextMenuDialog, OkMovesTheVerbToTheChosenTypesAndCancelChangesNothing) {
  ClearEntries();
  WhileModal([this] { EXPECT_TRUE(EditContextMenu(form_)); },
             [this] {
               Add(kSample);
               Add(kTwinB);
               form_.EditContextmenuCaption->setText(" \tGr\u00F6\u00DFe \r\n");
               form_.ButtonOK->click();
             });
  EXPECT_EQ(Registered(), (TClassList{kSample, kTwinB}));
  EXPECT_EQ(ContextMenuCaption(),
            "Gr\xF6\xDF"
            "e");
  const TDolphinServiceMenu menu(TActionDirectories::FromEnvironment().DataHome);
  EXPECT_NE(test::ReadBytes(menu.Path())
                .find("\nName=Gr\xC3\xB6\xC3\x9F"
                      "e\n"),
            std::string::npos);

  WhileModal([this] { EXPECT_FALSE(EditContextMenu(form_)); },
             [this] {
               EXPECT_EQ(form_.EditContextmenuCaption->text(), "Gr\u00F6\u00DFe");
               form_.EditContextmenuCaption->setText("   ");
               EXPECT_FALSE(form_.ButtonOK->isEnabled());
               Remove(kSample);
               Add(kTwinA);
               form_.ButtonCancel->click();
             });
  EXPECT_EQ(Registered(), (TClassList{kSample, kTwinB}));

  WhileModal([this] { EXPECT_TRUE(EditContextMenu(form_)); },
             [this] {
               EXPECT_EQ(form_.ListBoxDoctypesAssigned->count(), 2) << "the stored state again";
               Remove(kSample);
               Remove(kTwinB);
               form_.ButtonOK->click();
             });
  EXPECT_EQ(Registered(), TClassList{});
}

}  // namespace
}  // namespace quorvane

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const quorvane::test::TTempDir home;
  ::setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  quorvane::test::WriteMimePackage(
      home.PathWithoutSlash(),
      {{"application/x-quorvane-sample", "Quorvane sample page", {"*.qvb", "*.QVA"}},
       {"application/x-quorvane-twin-a", "Quorvane twin", {"*.qta"}},
       {"application/x-quorvane-twin-b", "Quorvane twin", {"*.qtb"}}});
  quorvane::InitLanguage("", quorvane::FindDataFile("Quorvane_en.nls"));
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
