// The main window: enabling rules, undo and redo, status bar, texts, view settings, search and
// replace through the dialogs, and the compression of the editor's text.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <set>

#include "MainWindowFixture.h"
#include "batch/ProgressModel.h"
#include "ui/FindReplaceDialog.h"
#include "ui/ProgressWindow.h"

namespace quorvane::test {
namespace {

TEST_F(MainWindowTest, CommandsThatNeedTextFollowTheText) {
  const auto enabled = [this] {
    std::vector<bool> states;
    for (const char* name :
         {"MainmenuFileCompress", "ToolButtonCompress", "PopupMenuEditCompress",
          "MainMenuEditSelectall", "MainMenuSearchSearch", "ToolButtonSearch",
          "MainMenuSearchSearchmore", "ToolButtonSearchContinue", "MainMenuSearchReplace",
          "MainMenuSearchReplacemore", "MainmenuViewWithbrowser"}) {
      states.push_back(Action(name)->isEnabled());
    }
    return states;
  };
  EXPECT_EQ(enabled(), std::vector<bool>(11, false));
  Type("x");
  EXPECT_EQ(enabled(), std::vector<bool>(11, true));
  QTest::keyClick(&Edit(), Qt::Key_Backspace);
  EXPECT_EQ(enabled(), std::vector<bool>(11, false));
}

TEST_F(MainWindowTest, CutCopyAndDeleteFollowTheSelection) {
  const auto cutCopy = [this] {
    std::vector<bool> states;
    for (const char* name : {"MainMenuEditCut", "ToolButtonCut", "PopupMenuEditCut",
                             "MainMenuEditCopy", "ToolButtonCopy", "PopupMenuEditCopy"}) {
      states.push_back(Action(name)->isEnabled());
    }
    return states;
  };
  QAction* remove = Action("MainMenuEditDelete");
  Type("abc");
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, false));
  EXPECT_FALSE(remove->isEnabled());  // caret at the end, nothing selected
  Edit().SetSelection(1, 0);
  EXPECT_TRUE(Action("PopupMenuEditDelete")->isEnabled());
  Edit().SetSelection(0, 2);
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, true));

  Action("MainMenuEditCut")->trigger();
  EXPECT_EQ(Text(), "c");
  EXPECT_TRUE(Action("MainMenuEditPaste")->isEnabled());
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, false));
  Action("MainMenuEditPaste")->trigger();
  EXPECT_EQ(Text(), "abc");

  Edit().SetSelection(1, 0);
  remove->trigger();  // as the Delete key: the character after the caret
  EXPECT_EQ(Text(), "ac");
  remove->trigger();
  EXPECT_EQ(Text(), "a");
  EXPECT_FALSE(remove->isEnabled());
}

TEST_F(MainWindowTest, UndoAndRedoAlternateInTheSamePlace) {
  QAction* undo = Action("MainMenuEditUndo");
  QAction* redo = Action("MainMenuEditRedo");
  const auto state = [&] {
    return std::vector<bool>{undo->isVisible(), undo->isEnabled(), redo->isVisible(),
                             redo->isEnabled()};
  };
  const std::vector<bool> offersUndo{true, true, false, false};
  const std::vector<bool> offersRedo{false, false, true, true};
  EXPECT_EQ(state(), (std::vector<bool>{true, false, false, false}));
  Type("hello");
  EXPECT_EQ(state(), offersUndo);
  undo->trigger();
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(state(), offersRedo);
  EXPECT_TRUE(Action("PopupMenuEditRedo")->isVisible());
  // The tool buttons stay, enabled as their commands.
  EXPECT_TRUE(Action("ToolButtonUndo")->isVisible());
  EXPECT_TRUE(Action("ToolButtonRedo")->isEnabled());

  redo->trigger();
  EXPECT_EQ(Text(), "hello");
  EXPECT_EQ(state(), offersUndo);
  // The keyboard's undo takes the same road, and typing after an undo brings Undo back.
  QTest::keyClick(&Edit(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state(), offersRedo);
  Type("x");
  EXPECT_EQ(state(), offersUndo);
}

TEST_F(MainWindowTest, StatusBarShowsModifiedCaretAndOverwrite) {
  const auto panel = [this](int i) {
    return form->findChild<QLabel*>(QString("StatusPanel%1").arg(i))->text();
  };
  EXPECT_EQ(panel(0), "");
  EXPECT_EQ(panel(1), "1");
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

TEST_F(MainWindowTest, CaptionsComeFromTheLanguageWithEllipsesAcceleratorsAndHints) {
  EXPECT_EQ(Action("MainmenuFileOpen")->text().remove('&'), "Open...");
  EXPECT_EQ(Action("ToolButtonOpen")->toolTip(), "Open...");
  EXPECT_EQ(Action("PopupMenuEditCompress")->text().remove('&'), "Compress");
  EXPECT_EQ(form->findChild<QMenu*>("MainMenuSearch")->title().remove('&'), "Search");
  // Distinct accelerators on each menu level.
  for (const char* name : {"MainmenuFile", "MainMenuEdit", "PopupMenuEdit"}) {
    std::set<QChar> keys;
    for (QAction* action : form->findChild<QMenu*>(name)->actions()) {
      const QString text = action->text();
      const qsizetype amp = text.indexOf('&');
      if (!action->isSeparator() && amp >= 0 && amp + 1 < text.size()) {
        EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second) << text.toStdString();
      }
    }
    EXPECT_GE(keys.size(), 3u) << name;
  }
  EXPECT_EQ(form->windowTitle(), "Quorvane - [Unnamed]");
}

TEST_F(MainWindowTest, ViewSettingsPlacementAndFontComeBackAfterARestart) {
  SetText("one two three four five");
  Edit().SetSelection(4, 9);
  Action("MainmenuViewLinebreak")->trigger();
  EXPECT_EQ(Edit().SelStart(), 4);  // word wrap keeps the selection
  EXPECT_EQ(Edit().SelLength(), 9);
  Action("MainmenuViewSymbolbar")->trigger();
  EXPECT_FALSE(form->findChild<QToolBar*>("ToolBar1")->isVisibleTo(form.get()));
  form->setGeometry(40, 50, 600, 400);
  QFont font("Monospace");
  font.setPointSize(13);
  Edit().setFont(font);
  Session().Document().Waittime = 250;
  Session().SetModified(false);
  DestroyWindow();
  CreateWindow();
  EXPECT_TRUE(Action("MainmenuViewLinebreak")->isChecked());
  EXPECT_NE(Edit().lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_FALSE(Action("MainmenuViewSymbolbar")->isChecked());
  EXPECT_TRUE(Action("MainmenuViewStatusbar")->isChecked());
  EXPECT_EQ(Session().Document().Waittime, 250);
  EXPECT_EQ(form->geometry(), QRect(40, 50, 600, 400));
  EXPECT_EQ(Edit().font().pointSize(), 13);
}

TEST_F(MainWindowTest, ExtrasCommandsRunTheirDialogsAndALanguageChangeIsAnnounced) {
  int tagLists = 0;
  TMainWindow::TExtrasCommands commands;
  commands.TagList = [&](TMainWindow& window) {
    EXPECT_EQ(&window, form.get());
    ++tagLists;
  };
  commands.Language = [](TMainWindow& window) {
    window.Session().SetLanguageFiles("country.nls", "language.nls");
    return true;
  };
  form->SetExtrasCommands(commands);
  Action("MainmenuExtrasTaglist")->trigger();
  EXPECT_EQ(tagLists, 1);
  Action("MainmenuViewLanguage")->trigger();
  EXPECT_EQ(
      messages->Informations,
      std::vector<std::string>{"The new language will be used the next time the program starts."});
  EXPECT_EQ(Session().Settings().LanguageFile, "language.nls");
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
  Fill("ReplaceDialog1", "[", "x");
  Click("ReplaceDialog1", "ButtonReplaceAll");
  EXPECT_EQ(messages->Errors.size(), 2u);
  EXPECT_EQ(messages->Informations.back(), "0 occurrence(s) replaced.");
}

TEST_F(MainWindowSearch, ReplaceAllIsOneUndoStepAndReplaceNextRepeatsIt) {
  SetText("aaa");
  Fill("ReplaceDialog1", "a", "ba");
  Click("ReplaceDialog1", "ButtonReplaceAll");
  EXPECT_EQ(Text(), "bababa");
  EXPECT_EQ(messages->Informations.back(), "3 occurrence(s) replaced.");
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Text(), "aaa");
  SetText("x a");
  Fill("ReplaceDialog1", "a", "y");
  Action("MainMenuSearchReplacemore")->trigger();
  EXPECT_EQ(Text(), "x y");
}

TEST_F(MainWindowSearch, ReplaceReplacesALiteralMatchAndMovesOn) {
  SetText("Cat cat cat");
  Edit().SetSelection(0, 3);  // "Cat": the search text in other case
  Fill("ReplaceDialog1", "cat", "dog");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Text(), "dog cat cat");
  EXPECT_EQ(Edit().SelStart(), 4);
  EXPECT_EQ(Selected(), "cat");

  // A selection found by a wildcard is not the search text: Replace moves on without replacing.
  SetText("ab ab");
  Fill("ReplaceDialog1", "a?", "X");
  Click("ReplaceDialog1", "ButtonReplace");
  Click("ReplaceDialog1", "ButtonReplace");
  EXPECT_EQ(Text(), "ab ab");
  EXPECT_EQ(Edit().SelStart(), 3);
}

TEST_F(MainWindowSearch, OpeningADialogTakesAShortSelectionAndClosesTheOther) {
  SetText(std::string(120, 'a') + " word");
  Edit().SetSelection(121, 4);
  Action("MainMenuSearchSearch")->trigger();
  EXPECT_EQ(Dialog("FindDialog1")->FindText(), "word");
  Edit().SetSelection(0, 100);
  Action("MainMenuSearchReplace")->trigger();
  EXPECT_EQ(Dialog("ReplaceDialog1")->FindText(), "");  // 100 characters are too many
  EXPECT_FALSE(Dialog("FindDialog1")->isVisible());
  Action("ToolButtonSearch")->trigger();
  EXPECT_TRUE(Dialog("FindDialog1")->isVisible());
  EXPECT_FALSE(Dialog("ReplaceDialog1")->isVisible());
}

TEST_F(MainWindowTest, CompressionIsOneUndoStepOnTheDocumentsBytes) {
  form->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  // A Windows-1252 page that includes a part: the result keeps every byte as it was.
  WriteBytes(dir / "part.inc",
             "<b>Gr\xFC\xDF"
             "e</b>");
  const std::string page = dir / "page.htm";
  const std::string original = "<p>\xE4</p>\r\n<#quorvane include=\"part.inc\"></#quorvane>\r\n";
  WriteBytes(page, original);
  ASSERT_TRUE(Session().LoadFile(page));
  Action("MainmenuFileCompress")->trigger();
  EXPECT_EQ(Text(),
            "<p>\xE4</p><b>Gr\xFC\xDF"
            "e</b>");
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
}

TEST_F(MainWindowTest, TheProgressWindowStaysUntilTheUserClosesIt) {
  const std::unique_ptr<TProgressWindow> progress = InstallProgressWindow();
  form->show();
  SetText("<p>  a  </p>");
  bool sawStatistics = false;
  bool ownerDisabled = false;
  QTimer closer;
  closer.setInterval(5);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (ProgressForm().Finished() && progress->isVisible()) {
      sawStatistics = progress->LabelAdditionalText->text().contains("% (");
      ownerDisabled = !form->isEnabled();
      progress->ButtonCancel->click();
    }
  });
  closer.start();
  Action("MainmenuFileCompress")->trigger();
  closer.stop();
  EXPECT_TRUE(sawStatistics);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(form->isEnabled());
  EXPECT_EQ(Text(), "<p>a</p>");
  ProgressForm().SetView(nullptr);
}

}  // namespace
}  // namespace quorvane::test
