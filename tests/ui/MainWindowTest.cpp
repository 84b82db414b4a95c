// The main window: enabling rules, undo and redo, status bar, view settings, search and replace
// through the dialogs, the desktop's keys, and the compression of the editor's text.
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "MainWindowFixture.h"
#include "batch/ProgressModel.h"
#include "support/UnicodeText.h"
#include "ui/ChangesDialog.h"
#include "ui/FindReplaceDialog.h"
#include "ui/MenuHistoryFiles.h"
#include "ui/ProgressWindow.h"

namespace quorvane::test {
namespace {

// The tool bar and the popup menu mirror the menu's commands; one of each stands for all. Undo
// and Redo take turns in one place.
TEST_F(MainWindowTest, CommandsFollowTheTextTheSelectionAndTheLastUndo) {
  QAction* compress = Action("ToolButtonCompress");
  QAction* cut = Action("PopupMenuEditCut");
  QAction* remove = Action("MainMenuEditDelete");
  const auto undoRedo = [this] {
    return std::vector<bool>{
        Action("MainMenuEditUndo")->isVisible(), Action("ToolButtonUndo")->isEnabled(),
        Action("PopupMenuEditRedo")->isVisible(), Action("ToolButtonRedo")->isEnabled()};
  };
  const std::vector<bool> offersUndo{true, true, false, false};
  const std::vector<bool> offersRedo{false, false, true, true};
  EXPECT_FALSE(compress->isEnabled());
  EXPECT_EQ(undoRedo(), (std::vector<bool>{true, false, false, false}));
  Type("abc");
  EXPECT_TRUE(compress->isEnabled());
  EXPECT_FALSE(cut->isEnabled());
  EXPECT_FALSE(remove->isEnabled());  // caret at the end, nothing selected
  EXPECT_EQ(undoRedo(), offersUndo);
  Edit().SetSelection(0, 2);
  EXPECT_TRUE(cut->isEnabled());
  cut->trigger();
  EXPECT_EQ(Text(), "c");
  EXPECT_FALSE(cut->isEnabled());
  Action("MainMenuEditPaste")->trigger();
  EXPECT_EQ(Text(), "abc");
  Edit().SetSelection(1, 0);
  remove->trigger();  // as the Delete key: the character after the caret
  EXPECT_EQ(Text(), "ac");
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Text(), "abc");
  EXPECT_EQ(undoRedo(), offersRedo);
  Action("MainMenuEditRedo")->trigger();
  EXPECT_EQ(Text(), "ac");
  EXPECT_EQ(undoRedo(), offersUndo);
  // The keyboard's undo takes the same road, and an edit after an undo brings Undo back.
  QTest::keyClick(&Edit(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(undoRedo(), offersRedo);
  Edit().SetSelection(0, 3);
  remove->trigger();
  EXPECT_EQ(undoRedo(), offersUndo);
  EXPECT_FALSE(compress->isEnabled());
}

TEST_F(MainWindowTest, StatusBarShowsModifiedCaretAndOverwrite) {
  const auto panel = [this](int i) {
    return form->findChild<QLabel*>(QString("StatusPanel%1").arg(i))->text();
  };
  EXPECT_EQ(panel(0), "");
  EXPECT_EQ(panel(3), "Insert");
  Type("ab");
  QTest::keyClick(&Edit(), Qt::Key_Return);
  Type("cde");
  EXPECT_EQ(panel(0), "Modified");
  EXPECT_EQ(panel(1), "2");
  EXPECT_EQ(panel(2), "4");
  Session().SetModified(false);
  EXPECT_EQ(panel(0), "");
  QTest::keyClick(&Edit(), Qt::Key_Insert);
  EXPECT_EQ(panel(3), "Overwrite");
  Edit().SetSelection(0, 0);
  Type("X");
  EXPECT_EQ(Text(), "Xb\ncde");
}

TEST_F(MainWindowTest, ViewSettingsPlacementAndFontComeBackAfterARestart) {
  SetText("one two three four five");
  Edit().SetSelection(4, 9);
  Action("MainmenuViewLinebreak")->trigger();
  EXPECT_EQ(Edit().SelStart(), 4);  // word wrap keeps the selection
  EXPECT_EQ(Edit().SelLength(), 9);
  Action("MainmenuViewSymbolbar")->trigger();
  EXPECT_FALSE(form->findChild<QToolBar*>("ToolBar1")->isVisibleTo(form.get()));
  EXPECT_TRUE(Edit().Highlighting());  // on at the first start
  Action("MainmenuViewHighlighting")->trigger();
  form->setGeometry(40, 50, 600, 400);
  QFont font("Monospace");
  font.setPointSize(13);
  Edit().SetChosenFont(font);
  Session().SetModified(false);
  DestroyWindow();
  CreateWindow();
  EXPECT_TRUE(Action("MainmenuViewLinebreak")->isChecked());
  EXPECT_NE(Edit().lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_FALSE(Action("MainmenuViewSymbolbar")->isChecked());
  EXPECT_TRUE(Action("MainmenuViewStatusbar")->isChecked());
  EXPECT_FALSE(Action("MainmenuViewHighlighting")->isChecked());
  EXPECT_FALSE(Edit().Highlighting());
  EXPECT_EQ(form->geometry(), QRect(40, 50, 600, 400));
  EXPECT_EQ(Edit().font().pointSize(), 13);
}

// Closing the window asks about a modified document; Cancel keeps the window and the text.
TEST_F(MainWindowTest, ClosingTheWindowAsksAboutUnsavedChanges) {
  form->show();
  Type("unsaved");
  messages->Answers = {IMessages::TAnswer::Cancel};
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Text(), "unsaved");
  messages->Answers = {IMessages::TAnswer::No};
  EXPECT_TRUE(form->close());
  EXPECT_EQ(messages->Questions.size(), 2u);
}

// Search and replace as the user drives them: the dialogs' fields and buttons.
class MainWindowSearch : public MainWindowTest {
 protected:
  TFindReplaceDialog* Dialog(const char* name) {
    return form->findChild<TFindReplaceDialog*>(name);
  }
  void Fill(const char* dialog, const QString& find, const QString& replace = {},
            bool matchCase = false) {
    Dialog(dialog)->findChild<QLineEdit*>("EditFindText")->setText(find);
    if (auto* edit = Dialog(dialog)->findChild<QLineEdit*>("EditReplaceText")) {
      edit->setText(replace);
    }
    Dialog(dialog)->findChild<QCheckBox*>("CheckBoxMatchCase")->setChecked(matchCase);
  }
  void Click(const char* dialog, const char* button) {
    Dialog(dialog)->findChild<QPushButton*>(button)->click();
  }
  void Find(const QString& pattern, bool matchCase = false) {
    Fill("FindDialog1", pattern, {}, matchCase);
    Click("FindDialog1", "ButtonFindNext");
  }
  QString Selected() { return Edit().SelText(); }
};

TEST_F(MainWindowSearch, FindSelectsTheNextMatchAndReportsWhenThereIsNone) {
  SetText("<TD class=x> one\r\ntwo");
  Fill("FindDialog1", "<td*>");
  Dialog("FindDialog1")->show();
  // Enter in the search field searches, as the Find Next button does.
  QTest::keyClick(Dialog("FindDialog1")->findChild<QLineEdit*>("EditFindText"), Qt::Key_Return);
  EXPECT_EQ(Selected(), "<TD class=x>");
  Edit().SetSelection(0, 0);
  Find("<td*>", true);
  EXPECT_EQ(Edit().SelLength(), 0);
  EXPECT_EQ(messages->Informations, std::vector<std::string>{"Cannot find \"<td*>\"."});
  // A line break is one position and "\n" in a pattern.
  Find("e\\nt");
  EXPECT_EQ(Edit().SelStart(), 15);
  EXPECT_EQ(Edit().SelLength(), 3);
  // Find next again on the one match: reported, the match stays selected.
  Action("MainMenuSearchSearchmore")->trigger();
  EXPECT_EQ(Edit().SelStart(), 15);
  EXPECT_EQ(messages->Informations.size(), 2u);
  Find("[abc");
  EXPECT_EQ(messages->Errors, std::vector<std::string>{"The search text is not a valid pattern."});
}

TEST_F(MainWindowSearch, ReplaceAllIsOneUndoStepAndReplaceMovesOnFromMatchToMatch) {
  SetText("aaa");
  Fill("ReplaceDialog1", "a", "ba");
  Click("ReplaceDialog1", "ButtonReplaceAll");
  EXPECT_EQ(Text(), "bababa");
  EXPECT_EQ(messages->Informations.back(), "3 occurrence(s) replaced.");
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Text(), "aaa");

  // A selection that is the search text in other case is replaced, and the next one selected;
  // the command repeats it.
  SetText("Cat cat cat");
  Edit().SetSelection(0, 3);
  Fill("ReplaceDialog1", "cat", "dog");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Text(), "dog cat cat");
  EXPECT_EQ(Edit().SelStart(), 4);
  EXPECT_EQ(Selected(), "cat");
  Action("MainMenuSearchReplacemore")->trigger();
  EXPECT_EQ(Text(), "dog dog cat");

  // A match that a pattern found is replaced too; without a match selected the first press
  // only selects.
  SetText("<td a><td b>");
  Fill("ReplaceDialog1", "<td*>", "<TD>");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Selected(), "<td a>");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Text(), "<TD><td b>");
  EXPECT_EQ(Selected(), "<td b>");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Text(), "<TD><TD>");
  EXPECT_EQ(messages->Informations.size(), 1u) << "the replacements found their matches";
}

// The result keeps every byte of the page and its part as it was, in the page's encoding.
TEST_F(MainWindowTest, CompressionIsOneUndoStepOnTheDocumentsBytes) {
  form->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  // A Windows-1252 page that includes a part.
  dir.Write("part.inc", "<b>Gr\xFC\xDFt</b>");
  const std::string page = dir / "page.htm";
  const std::string original = "<p>\xE4</p>\r\n<#quorvane include=\"part.inc\"></#quorvane>\r\n";
  WriteBytes(page, original);
  ASSERT_TRUE(Session().LoadFile(page));
  Action("MainmenuFileCompress")->trigger();
  EXPECT_EQ(Text(), "<p>\xE4</p><b>Gr\xFC\xDFt</b>");
  // The sizes in the status bar, and View shows what changed until another document comes.
  EXPECT_EQ(form->findChild<QLabel*>("StatusPanel4")->text().toStdString(),
            "54 \u2192 20 bytes, 63 % saved");
  Action("MainmenuViewChanges")->trigger();
  auto* changes = form->findChild<TChangesDialog*>();
  ASSERT_NE(changes, nullptr);
  EXPECT_TRUE(changes->ShownText().endsWith("\n+ <p>\u00E4</p><b>Gr\u00FC\u00DFt</b>"));
  changes->close();
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  EXPECT_TRUE(Session().Modified());
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Text(), original);

  // A UTF-8 page with a Windows-1252 part is no UTF-8 any more: shown as Windows-1252, and
  // the undo brings back the UTF-8 page.
  SetText("<p>\xC3\xA4</p> <#quorvane include=\"part.inc\"></#quorvane>\n");
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf8);
  Action("MainmenuFileCompress")->trigger();
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  EXPECT_NE(Text().find("<p>\xC3\xA4</p>"), std::string::npos) << Text();
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf8);
  messages->Answers = {IMessages::TAnswer::No};
  Action("MainmenuFileNew")->trigger();
  EXPECT_FALSE(Action("MainmenuViewChanges")->isEnabled());
  EXPECT_EQ(form->findChild<QLabel*>("StatusPanel4")->text(), "");

  // A UTF-16 page is shown as text, compressed and saved in UTF-16.
  const auto utf16 = [](const char* text) { return EncodeUnicode(text, TUnicodeForm::Utf16Be); };
  WriteBytes(page, utf16("<p>  s\xC3\xBC\xC3\x9F  \xF0\x9F\x98\x80 </p>\r\n"));
  ASSERT_TRUE(Session().LoadFile(page));
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("<p>  süß  😀 </p>\n"));
  Action("MainmenuFileCompress")->trigger();
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("<p>süß 😀</p>"));
  EXPECT_TRUE(Session().SaveFile(page));
  EXPECT_EQ(ReadBytes(page), utf16("<p>s\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80</p>"));
}

// Chooses `path` in the save dialog as soon as it is open.
void AnswerSaveDialog(const std::string& path) {
  QTimer::singleShot(0, [path] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(path));
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

// The progress window of a compression stays until the user closes it, and gives the keyboard
// back to the editor; the keys of a Linux desktop reach their commands through the editor,
// which takes some for itself.
TEST_F(MainWindowSearch, TheProgressWindowAndTheDesktopKeysLeaveTheKeyboardToTheEditor) {
  const std::unique_ptr<TProgressWindow> progress = InstallProgressWindow();
  form->show();
  const auto activate = [&] {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Edit().setFocus();
  };
  const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(&Edit(), k, modifiers);
  };
  activate();
  SetText("<p>  a  </p>");
  QTimer closer;
  closer.setInterval(5);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (ProgressForm().Finished() && progress->isVisible()) {
      progress->ButtonCancel->click();
    }
  });
  closer.start();
  Action("MainmenuFileCompress")->trigger();
  closer.stop();
  ProgressForm().SetView(nullptr);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(form->isEnabled());
  EXPECT_EQ(Text(), "<p>a</p>");
  EXPECT_EQ(form->focusWidget(), &Edit());

  // Shift+F3 goes back from match to match.
  activate();
  SetText("<td a><td b>");
  Dialog("FindDialog1")->SetFindText("<td*>");
  Edit().SetSelection(Edit().TextLength(), 0);
  key(Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), "<td b>");

  // Redo on Ctrl+Y and Ctrl+Shift+Z.
  Edit().SetSelection(Edit().TextLength(), 0);
  Type("x");
  for (const Qt::KeyboardModifiers modifiers :
       {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
    key(Qt::Key_Z);
    EXPECT_EQ(Text(), "<td a><td b>");
    key(modifiers == Qt::ControlModifier ? Qt::Key_Y : Qt::Key_Z, modifiers);
    EXPECT_EQ(Text(), "<td a><td b>x");
  }

  // Ctrl+S asks for a name only while the document has none; Ctrl+Shift+S always does. The
  // recent files are numbered as mnemonics and show their names as they are written.
  const std::string page = dir / "page.htm";
  AnswerSaveDialog(page);
  key(Qt::Key_S);
  EXPECT_EQ(Session().FileName(), page);
  activate();
  Type("y");
  key(Qt::Key_S);
  EXPECT_EQ(ReadBytes(page), "<td a><td b>xy");
  EXPECT_FALSE(Session().Modified());
  const std::string copy = dir / "Gr\xC3\xBCn & \xE6\x97\xA5.htm";
  AnswerSaveDialog(copy);
  key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Session().FileName(), copy);
  activate();
  QStringList recent;
  for (QAction* item : form->findChild<QMenu*>("MainmenuFile")->actions()) {
    if (item->property(TMenuHistoryFiles::kPathProperty).isValid()) {
      recent.append(item->text());
    }
  }
  EXPECT_EQ(recent, QStringList({"&1 " + QString::fromStdString(copy).replace("&", "&&"),
                                 "&2 " + QString::fromStdString(page)}));
}

}  // namespace
}  // namespace quorvane::test
