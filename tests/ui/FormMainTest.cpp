// The main window: enabling rules, undo and redo, status bar, texts, the file commands with
// their questions, the recently used files and the reload question.
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <set>

#include "FormMainFixture.h"
#include "batch/MainSettings.h"
#include "platform/Files.h"
#include "ui/FindReplaceDialog.h"

namespace quorvane::test {
namespace {

std::vector<QAction*> NeedText(TFormMain& f) {
  return {f.MainmenuFileCompress,      f.ToolButtonCompress,       f.PopupMenuEditCompress,
          f.MainMenuEditSelectall,     f.MainMenuSearchSearch,     f.ToolButtonSearch,
          f.MainMenuSearchSearchmore,  f.ToolButtonSearchContinue, f.MainMenuSearchReplace,
          f.MainMenuSearchReplacemore, f.MainmenuViewWithbrowser,  f.MainMenuSearchSearchprevious};
}

TEST_F(FormMainTest, CommandsThatNeedTextFollowTheText) {
  for (QAction* action : NeedText(*form)) {
    EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
  }
  Type("x");
  for (QAction* action : NeedText(*form)) {
    EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
  }
  QTest::keyClick(form->Edit, Qt::Key_Backspace);
  for (QAction* action : NeedText(*form)) {
    EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
  }
}

TEST_F(FormMainTest, CutCopyAndDeleteFollowTheSelection) {
  const auto cutCopy = [&] {
    return std::vector<bool>{
        form->MainMenuEditCut->isEnabled(),  form->ToolButtonCut->isEnabled(),
        form->PopupMenuEditCut->isEnabled(), form->MainMenuEditCopy->isEnabled(),
        form->ToolButtonCopy->isEnabled(),   form->PopupMenuEditCopy->isEnabled()};
  };
  Type("abc");
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, false));
  EXPECT_FALSE(form->MainMenuEditDelete->isEnabled());  // caret at the end, nothing selected
  Edit().SetSelection(1, 0);
  EXPECT_TRUE(form->MainMenuEditDelete->isEnabled());
  EXPECT_TRUE(form->PopupMenuEditDelete->isEnabled());
  Edit().SetSelection(0, 2);
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, true));

  form->MainMenuEditCut->trigger();
  EXPECT_EQ(Text(), "c");
  EXPECT_TRUE(form->MainMenuEditPaste->isEnabled());
  EXPECT_EQ(cutCopy(), std::vector<bool>(6, false));
  form->MainMenuEditPaste->trigger();
  EXPECT_EQ(Text(), "abc");

  Edit().SetSelection(1, 0);
  form->MainMenuEditDelete->trigger();  // as the Delete key: the character after the caret
  EXPECT_EQ(Text(), "ac");
  EXPECT_TRUE(form->MainMenuEditDelete->isEnabled());
  form->MainMenuEditDelete->trigger();
  EXPECT_EQ(Text(), "a");
  EXPECT_FALSE(form->MainMenuEditDelete->isEnabled());
}

TEST_F(FormMainTest, UndoAndRedoAlternateInTheSamePlace) {
  const auto state = [&] {
    return std::vector<bool>{
        form->MainMenuEditUndo->isVisible(), form->MainMenuEditUndo->isEnabled(),
        form->MainMenuEditRedo->isVisible(), form->MainMenuEditRedo->isEnabled()};
  };
  const std::vector<bool> undo{true, true, false, false};
  const std::vector<bool> redo{false, false, true, true};
  EXPECT_EQ(state(), (std::vector<bool>{true, false, false, false}));

  Type("hello");
  EXPECT_EQ(state(), undo);
  form->MainMenuEditUndo->trigger();
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(state(), redo);
  EXPECT_TRUE(form->PopupMenuEditRedo->isVisible());
  EXPECT_FALSE(form->PopupMenuEditUndo->isVisible());
  EXPECT_TRUE(form->ToolButtonUndo->isVisible());
  EXPECT_TRUE(form->ToolButtonRedo->isVisible());
  EXPECT_FALSE(form->ToolButtonUndo->isEnabled());
  EXPECT_TRUE(form->ToolButtonRedo->isEnabled());

  form->MainMenuEditRedo->trigger();
  EXPECT_EQ(Text(), "hello");
  EXPECT_EQ(state(), undo);

  // The keyboard's undo takes the same road, and typing after an undo brings Undo back.
  QTest::keyClick(form->Edit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(state(), redo);
  Type("x");
  EXPECT_EQ(state(), undo);
}

TEST_F(FormMainTest, StatusBarShowsModifiedCaretAndOverwrite) {
  const auto panel = [&](int i) { return form->StatusPanels[i]->text(); };
  EXPECT_EQ(panel(0), "");
  EXPECT_EQ(panel(1), "1");
  EXPECT_EQ(panel(2), "1");
  EXPECT_EQ(panel(3), "Insert");
  Type("ab");
  QTest::keyClick(form->Edit, Qt::Key_Return);
  Type("cde");
  EXPECT_EQ(panel(0), "Modified");
  EXPECT_EQ(panel(1), "2");
  EXPECT_EQ(panel(2), "4");
  form->SetModified(false);
  EXPECT_EQ(panel(0), "");
  QTest::keyClick(form->Edit, Qt::Key_Insert);
  EXPECT_EQ(panel(3), "Overwrite");
  Edit().SetSelection(0, 0);
  Type("X");
  EXPECT_EQ(Text(), "Xb\ncde");
  QTest::keyClick(form->Edit, Qt::Key_Insert);
  EXPECT_EQ(panel(3), "Insert");
}

TEST_F(FormMainTest, CaptionsComeFromTheLanguageWithEllipsesAcceleratorsAndHints) {
  EXPECT_EQ(form->MainmenuFileOpen->text().remove('&'), "Open...");
  EXPECT_EQ(form->MainmenuFileNew->text().remove('&'), "New");
  EXPECT_EQ(form->ToolButtonOpen->toolTip(), "Open...");
  EXPECT_EQ(form->ToolButtonCompress->toolTip(), "Compress");
  EXPECT_EQ(form->PopupMenuEditCompress->text().remove('&'), "Compress");
  EXPECT_EQ(form->MainMenuSearch->title().remove('&'), "Search");
  EXPECT_EQ(form->MainMenuSearchSearch->text().remove('&'), "Search...");
  // Distinct accelerators on each menu level.
  for (QMenu* menu : {form->MainmenuFile, form->MainMenuEdit, form->MainMenuSearch}) {
    std::set<QChar> keys;
    for (QAction* action : menu->actions()) {
      const QString text = action->text();
      const qsizetype amp = text.indexOf('&');
      if (!action->isSeparator() && amp >= 0 && amp + 1 < text.size()) {
        EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second) << text.toStdString();
      }
    }
    EXPECT_GE(keys.size(), 2u);
  }
  EXPECT_TRUE(form->MainmenuFileSave->isVisible());
  EXPECT_FALSE(form->MainMenuEditRedo->isVisible());
  EXPECT_EQ(form->windowTitle(), "Quorvane - [Unnamed]");
  for (QAction* tool : form->ToolBar1->actions()) {
    EXPECT_TRUE(tool->isSeparator() || !tool->icon().isNull()) << tool->objectName().toStdString();
  }
}

TEST_F(FormMainTest, TheSaveQuestionsThreeAnswers) {
  using A = IUserDialogs::TAnswer;
  const std::string saved = dir / "saved.htm";
  Type("text");

  dialogs->Answers = {A::Cancel};
  form->MainmenuFileNewClick();
  EXPECT_EQ(Text(), "text");
  ASSERT_EQ(dialogs->Questions.size(), 1u);
  EXPECT_EQ(dialogs->Questions[0], "The unnamed document has been modified. Save the changes?");

  dialogs->Answers = {A::Yes};  // and the save dialog cancelled: as Cancel
  form->MainmenuFileNewClick();
  EXPECT_EQ(Text(), "text");

  dialogs->Answers = {A::Yes};
  dialogs->FileNames = {QString::fromStdString(saved)};
  form->MainmenuFileNewClick();
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(form->FileName(), "");
  std::string content;
  ReadWholeFile(saved, content);
  EXPECT_EQ(content, "text");

  Type("more");
  dialogs->Answers = {A::No};
  form->MainmenuFileNewClick();
  EXPECT_EQ(Text(), "");
  EXPECT_FALSE(form->GetModified());
}

TEST_F(FormMainTest, ClosingAModifiedDocumentAsksAndACancelledSaveKeepsTheWindow) {
  using A = IUserDialogs::TAnswer;
  form->show();
  Type("text");
  dialogs->Answers = {A::Yes};
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  dialogs->Answers = {A::No};
  EXPECT_TRUE(form->close());
}

TEST_F(FormMainTest, AWriteErrorEndsTheCommandThatAsked) {
  using A = IUserDialogs::TAnswer;
  Type("text");
  dialogs->Answers = {A::Yes};
  dialogs->FileNames = {QString::fromStdString(dir / "missing/dir/x.htm")};
  form->MainmenuFileNew->trigger();
  EXPECT_EQ(Text(), "text");
  EXPECT_TRUE(form->GetModified());
  ASSERT_EQ(dialogs->Errors.size(), 1u);
  EXPECT_EQ(dialogs->Errors[0], "The file cannot be written.");
}

TEST_F(FormMainTest, SaveAsUnderANameDifferingOnlyByCaseWritesASecondFile) {
  const std::string lower = dir / "page.htm";
  const std::string upper = dir / "Page.htm";
  WriteBytes(lower, "old");
  form->LoadFile(lower);
  Type("new ");
  dialogs->FileNames = {QString::fromStdString(upper)};
  EXPECT_EQ(form->MainmenuFileSaveasClick(), 0);
  EXPECT_FALSE(form->GetModified());
  // File names are exact on this platform: two files, and the title names the new one.
  EXPECT_EQ(form->FileName(), upper);
  EXPECT_EQ(form->windowTitle().toStdString(), "Quorvane - " + upper);
  std::string content;
  ReadWholeFile(upper, content);
  EXPECT_EQ(content, "new old");
  ReadWholeFile(lower, content);
  EXPECT_EQ(content, "old");
}

std::string Entry(int number, const std::string& path) {
  return (number <= 9 ? "&" : "") + std::to_string(number).append(" ").append(path);
}

std::vector<std::string> HistoryMenu(TFormMain& f) {
  std::vector<std::string> entries;
  for (QAction* action : f.MainmenuFile->actions()) {
    if (action->property("historyPath").isValid()) {
      entries.push_back(action->text().toStdString());
    }
  }
  return entries;
}

TEST_F(FormMainTest, RecentlyUsedFilesKeepTheirOrderAndLimitAcrossARestart) {
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i) {
    std::string name = "f";
    name += std::to_string(i);
    name += ".htm";
    files.push_back(dir / name);
    WriteBytes(files.back(), "x");
    form->LoadFile(files.back());
  }
  std::vector<std::string> menu = HistoryMenu(*form);
  ASSERT_EQ(menu.size(), 8u);
  EXPECT_EQ(menu[0], Entry(1, files[9]));
  EXPECT_EQ(menu[2], Entry(3, files[7]));
  EXPECT_EQ(menu[7], Entry(8, files[2]));

  // Opening the third entry moves it to the front.
  dialogs->FileNames = {QString::fromStdString(files[7])};
  form->MainmenuFileOpenClick();
  menu = HistoryMenu(*form);
  EXPECT_EQ(menu[0], Entry(1, files[7]));
  EXPECT_EQ(menu[2], Entry(3, files[8]));

  DestroyWindow();
  // What a new process reads from the settings file.
  TApplicationReg reg("Quorvane");
  TDocument document;
  TWindowSettings settings;
  LoadMainSettings(reg, document, settings);
  ASSERT_EQ(settings.History.Items().size(), 8u);
  EXPECT_EQ(settings.History.Items()[0], files[7]);
  EXPECT_EQ(settings.History.Items()[2], files[8]);

  CreateWindow();
  EXPECT_EQ(HistoryMenu(*form), menu);
}

TEST_F(FormMainTest, ARecentFileAlreadyLoadedIsOnlyReloadedAfterTheSaveQuestion) {
  const std::string file = dir / "a.htm";
  WriteBytes(file, "disk");
  form->LoadFile(file);
  form->HistoryFileClick(file);
  EXPECT_TRUE(dialogs->Questions.empty());
  Type("typed ");
  dialogs->Answers = {IUserDialogs::TAnswer::No};
  form->HistoryFileClick(file);
  EXPECT_EQ(dialogs->Questions.size(), 1u);
  EXPECT_EQ(Text(), "disk");
}

TEST_F(FormMainTest, TheReloadQuestionAnsweredNoIsNotAskedAgain) {
  const std::string file = dir / "watched.htm";
  WriteBytes(file, "first");
  form->LoadFile(file);
  form->FormActivate();
  EXPECT_TRUE(dialogs->Questions.empty());

  WriteBytes(file, "second");
  SetFileTime(file, {GetFileTime(file)->Seconds + 5, 0});
  dialogs->YesNo = {false};
  form->FormActivate();
  ASSERT_EQ(dialogs->Questions.size(), 1u);
  EXPECT_EQ(dialogs->Questions[0].toStdString(),
            "The file " + file + " has been changed by another program. Reload it?");
  EXPECT_EQ(Text(), "first");
  form->FormActivate();
  EXPECT_EQ(dialogs->Questions.size(), 1u);

  // Watched again after the next load; Yes reloads.
  form->LoadFile(file);
  WriteBytes(file, "third");
  SetFileTime(file, {GetFileTime(file)->Seconds + 10, 0});
  dialogs->YesNo = {true};
  form->FormActivate();
  EXPECT_EQ(dialogs->Questions.size(), 2u);
  EXPECT_EQ(Text(), "third");
  EXPECT_FALSE(form->GetModified());
}

TEST_F(FormMainTest, ViewSettingsAreSavedAndRestored) {
  EXPECT_TRUE(form->Edit->Highlighting());  // on at the first start
  form->MainmenuViewLinebreak->trigger();
  form->MainmenuViewSymbolbar->trigger();
  form->MainmenuViewHighlighting->trigger();
  EXPECT_FALSE(form->Edit->Highlighting());
  EXPECT_TRUE(form->MainmenuViewLinebreak->isChecked());
  EXPECT_FALSE(form->MainmenuViewSymbolbar->isChecked());
  EXPECT_FALSE(form->ToolBar1->isVisibleTo(form.get()));
  form->Document().Waittime = 250;
  DestroyWindow();
  CreateWindow();
  EXPECT_TRUE(form->MainmenuViewLinebreak->isChecked());
  EXPECT_NE(form->Edit->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_FALSE(form->MainmenuViewSymbolbar->isChecked());
  EXPECT_TRUE(form->MainmenuViewStatusbar->isChecked());
  EXPECT_FALSE(form->MainmenuViewHighlighting->isChecked());
  EXPECT_FALSE(form->Edit->Highlighting());
  EXPECT_EQ(form->Document().Waittime, 250);
}

TEST_F(FormMainTest, AFileThatCannotBeReadLeavesTheDocumentAsItWas) {
  Type("kept");
  dialogs->Answers = {IUserDialogs::TAnswer::No};
  dialogs->FileNames = {QString::fromStdString(dir / "absent.htm")};
  form->MainmenuFileOpen->trigger();
  ASSERT_EQ(dialogs->Errors.size(), 1u);
  EXPECT_EQ(dialogs->Errors[0], "The file cannot be read.");
  EXPECT_EQ(Text(), "kept");
  EXPECT_EQ(form->FileName(), "");

  // A file named on the command line (-e) is opened; one that cannot be read is reported.
  const std::string page = dir / "page.htm";
  WriteBytes(page, "<p>page</p>");
  form->OpenFile(page);
  EXPECT_EQ(Text(), "<p>page</p>");
  EXPECT_EQ(form->FileName(), page);
  form->OpenFile(dir / "absent.htm");
  EXPECT_EQ(dialogs->Errors.size(), 2u);
}

TEST_F(FormMainTest, PlacementAndFontComeBackAfterARestart) {
  form->setGeometry(40, 50, 600, 400);
  QFont font("Monospace");
  font.setPointSize(13);
  font.setBold(true);
  form->SetEditorFont(font);
  DestroyWindow();
  CreateWindow();
  EXPECT_EQ(form->geometry(), QRect(40, 50, 600, 400));
  EXPECT_EQ(form->Edit->font().pointSize(), 13);
  EXPECT_TRUE(form->Edit->font().bold());
}

TEST_F(FormMainTest, WordWrapKeepsTheSelection) {
  SetText("one two three four five");
  Edit().SetSelection(4, 9);
  form->MainmenuViewLinebreak->trigger();
  EXPECT_EQ(Edit().SelStart(), 4);
  EXPECT_EQ(Edit().SelLength(), 9);
  EXPECT_TRUE(form->MainmenuViewLinebreak->isChecked());
}

TEST_F(FormMainTest, MenusToolBarAndPopupHoldTheirCommandsInOrder) {
  const auto names = [](const QList<QAction*>& actions) {
    std::vector<std::string> result;
    for (QAction* action : actions) {
      result.push_back(action->isSeparator() ? "-" : action->objectName().toStdString());
    }
    return result;
  };
  EXPECT_EQ(names(form->ToolBar1->actions()),
            (std::vector<std::string>{
                "ToolButtonNew", "ToolButtonOpen", "ToolButtonSaveas", "-", "ToolButtonCompress",
                "-", "ToolButtonCopy", "ToolButtonPaste", "ToolButtonCut", "-", "ToolButtonUndo",
                "ToolButtonRedo", "-", "ToolButtonSearch", "ToolButtonSearchContinue"}));
  EXPECT_EQ(names(form->PopupMenuEdit->actions()),
            (std::vector<std::string>{"PopupMenuEditUndo", "PopupMenuEditRedo", "-",
                                      "PopupMenuEditCut", "PopupMenuEditPaste", "PopupMenuEditCopy",
                                      "PopupMenuEditDelete", "-", "PopupMenuEditCompress"}));
  EXPECT_EQ(form->MainmenuFileOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(form->MainmenuFileCompress->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F9));
  EXPECT_EQ(form->MainmenuFileSave->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(form->MainmenuFileSaveas->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  EXPECT_EQ(form->MainMenuSearchSearch->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(form->MainMenuSearchReplacemore->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F8));
  EXPECT_EQ(form->MainMenuHelpHelpwithbrowser->shortcut(), QKeySequence(Qt::Key_F1));

  // No text limit: a long text typed in one go stays whole.
  const QString typed(300, 'x');
  Type(typed);
  EXPECT_EQ(Edit().TextLength(), 300);
}

TEST_F(FormMainTest, ExtrasCommandsRunTheirDialogsAndALanguageChangeIsAnnounced) {
  int tagLists = 0;
  TFormMain::TExtrasCommands commands;
  commands.TagList = [&](TFormMain& window) {
    EXPECT_EQ(&window, form.get());
    ++tagLists;
  };
  commands.Language = [](TFormMain& window) {
    window.SetLanguageFiles("country.nls", "language.nls");
    return true;
  };
  form->SetExtrasCommands(commands);
  form->MainmenuExtrasTaglist->trigger();
  EXPECT_EQ(tagLists, 1);
  form->MainmenuViewLanguage->trigger();
  EXPECT_EQ(dialogs->Messages.back(),
            "The new language will be used the next time the program starts.");
  EXPECT_EQ(form->WindowSettings().LanguageFile, "language.nls");
}

// The keys of a Linux desktop reach their commands beside the program's own.
TEST_F(FormMainTest, TheDesktopKeysReachTheirCommands) {
  form->show();
  const auto activate = [&] {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Edit->setFocus();
  };
  const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(form->Edit, k, modifiers);
  };
  activate();
  SetText("<td a><td b>");
  key(Qt::Key_F);
  EXPECT_TRUE(form->FindDialog1->isVisible());
  key(Qt::Key_H);
  EXPECT_TRUE(form->ReplaceDialog1->isVisible());
  EXPECT_FALSE(form->FindDialog1->isVisible());
  form->ReplaceDialog1->close();
  activate();

  // Shift+F3 goes back from match to match.
  form->FindDialog1->SetFindText("<td*>");
  Edit().SetSelection(Edit().TextLength(), 0);
  key(Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Edit().SelText(), "<td b>");
  key(Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Edit().SelStart(), 0);
  EXPECT_EQ(Edit().SelText(), "<td a>");
  key(Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(dialogs->Messages.size(), 1u);  // nothing before the first one

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

  // Ctrl+S asks for a name only while the document has none; Ctrl+Shift+S always does.
  const std::string page = dir / "page.htm";
  dialogs->FileNames = {QString::fromStdString(page)};
  key(Qt::Key_S);
  EXPECT_EQ(form->FileName(), page);
  Type("y");
  key(Qt::Key_S);
  std::string content;
  ReadWholeFile(page, content);
  EXPECT_EQ(content, "<td a><td b>xy");
  EXPECT_FALSE(form->GetModified());
  const std::string copy = dir / "copy.htm";
  dialogs->FileNames = {QString::fromStdString(copy)};
  key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(form->FileName(), copy);

  // The text size goes up and down from the chosen font, and back to it.
  const qreal size = Edit().font().pointSizeF();
  key(Qt::Key_Plus);
  key(Qt::Key_Equal);
  EXPECT_EQ(Edit().font().pointSizeF(), size + 2);
  key(Qt::Key_Minus);
  EXPECT_EQ(Edit().font().pointSizeF(), size + 1);
  key(Qt::Key_0);
  EXPECT_EQ(Edit().font().pointSizeF(), size);

  // Close and New leave an empty unnamed document; Ctrl+Q closes the window.
  key(Qt::Key_W);
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(form->FileName(), "");
  Type("z");
  dialogs->Answers = {IUserDialogs::TAnswer::No};
  key(Qt::Key_N);
  EXPECT_EQ(Text(), "");
  key(Qt::Key_Q);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace quorvane::test
