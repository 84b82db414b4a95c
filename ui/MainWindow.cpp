#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

#include "batch/ProgramId.h"
#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/ChangesDialog.h"
#include "ui/ContextMenuDialog.h"
#include "ui/ContextMenuEditing.h"
#include "ui/DesktopShortcuts.h"
#include "ui/EditorFont.h"
#include "ui/EditorSearch.h"
#include "ui/ExtensionDialog.h"
#include "ui/FileDialogs.h"
#include "ui/MenuHistoryFiles.h"
#include "ui/ProgressWindow.h"
#include "ui/SettingsDialogCommands.h"
#include "ui/SourceEdit.h"
#include "ui/ToolBarIcons.h"

namespace quorvane {

// One command of the main menu: its action, built-in caption (Windows-1252), shortcut, text
// identifier (0: none), whether its caption ends in "...", and what it does.
struct TMainWindow::TCommand {
  QAction* TMainWindow::*Action;
  const char* Name;
  const char* Caption;
  QKeyCombination Shortcut;
  uint32_t TextId;
  bool Ellipsis;
  void (*Run)(TMainWindow&);
};

const std::vector<TMainWindow::TCommand>& TMainWindow::Commands() {
  using W = TMainWindow;
  using namespace textid;
  const QKeyCombination none;
  static const std::vector<TCommand> commands = {
      {&W::MainmenuFileNew, "MainmenuFileNew", "Neu", none, kNew, false,
       [](W& w) { w.session_.New(); }},
      {&W::MainmenuFileOpen, "MainmenuFileOpen", "\326ffnen", Qt::CTRL | Qt::Key_O, kOpen, true,
       [](W& w) { w.session_.Open(); }},
      {&W::MainmenuFileCompress, "MainmenuFileCompress", "Verdichten", Qt::CTRL | Qt::Key_F9,
       kCompress, false, [](W& w) { w.MainmenuFileCompressClick(); }},
      {&W::MainmenuFileSave, "MainmenuFileSave", "Speichern", Qt::CTRL | Qt::Key_S, kSave, false,
       [](W& w) { w.session_.Save(); }},
      {&W::MainmenuFileSaveas, "MainmenuFileSaveas", "Speichern unter",
       Qt::CTRL | Qt::SHIFT | Qt::Key_S, kSaveAs, true, [](W& w) { w.session_.SaveAs(); }},
      // Closing the document leaves an empty one, as New does.
      {&W::MainmenuFileClose, "MainmenuFileClose", "Schlie\337en", none, kCloseDocument, false,
       [](W& w) { w.session_.New(); }},
      {&W::MainmenuFileQuit, "MainmenuFileQuit", "Beenden", none, kQuit, false,
       [](W& w) { w.close(); }},
      {&W::MainMenuEditUndo, "MainMenuEditUndo", "R\374ckg\344ngig", Qt::CTRL | Qt::Key_Z, kUndo,
       false, [](W& w) { w.Edit->Undo(); }},
      {&W::MainMenuEditRedo, "MainMenuEditRedo", "Wiederherstellen", none, kRedo, false,
       [](W& w) { w.Edit->Redo(); }},
      {&W::MainMenuEditCut, "MainMenuEditCut", "Ausschneiden", Qt::CTRL | Qt::Key_X, kCut, false,
       [](W& w) { w.MainMenuEditCutClick(); }},
      {&W::MainMenuEditPaste, "MainMenuEditPaste", "Einf\xFCgen", Qt::CTRL | Qt::Key_V, kPaste,
       false, [](W& w) { w.Edit->paste(); }},
      {&W::MainMenuEditCopy, "MainMenuEditCopy", "Kopieren", Qt::CTRL | Qt::Key_C, kCopy, false,
       [](W& w) { w.MainMenuEditCopyClick(); }},
      {&W::MainMenuEditDelete, "MainMenuEditDelete", "L\xF6schen", none, kDelete, false,
       [](W& w) { w.MainMenuEditDeleteClick(); }},
      {&W::MainMenuEditSelectall, "MainMenuEditSelectall", "Alles markieren", Qt::CTRL | Qt::Key_A,
       kSelectAll, false, [](W& w) { w.Edit->selectAll(); }},
      {&W::MainMenuSearchSearch, "MainMenuSearchSearch", "Suchen...", Qt::Key_F3, kSearch, true,
       [](W& w) { w.search_->OpenFindDialog(); }},
      {&W::MainMenuSearchSearchmore, "MainMenuSearchSearchmore", "Weitersuchen",
       Qt::CTRL | Qt::Key_F3, kSearchNext, false, [](W& w) { w.search_->SearchMore(); }},
      {&W::MainMenuSearchSearchprevious, "MainMenuSearchSearchprevious", "R\374ckw\344rts suchen",
       none, kSearchPrevious, false, [](W& w) { w.search_->SearchPrevious(); }},
      {&W::MainMenuSearchReplace, "MainMenuSearchReplace", "Ersetzen...", Qt::Key_F8, kReplace,
       true, [](W& w) { w.search_->OpenReplaceDialog(); }},
      {&W::MainMenuSearchReplacemore, "MainMenuSearchReplacemore", "N\344chstes ersetzen",
       Qt::CTRL | Qt::Key_F8, kReplaceNext, false, [](W& w) { w.search_->ReplaceMore(); }},
      {&W::MainmenuViewLanguage, "MainmenuViewLanguage", "Sprache", none, kLanguage, true,
       [](W& w) { w.MainmenuViewLanguageClick(); }},
      {&W::MainmenuViewFont, "MainmenuViewFont", "Schriftart", none, kFont, true,
       [](W& w) { w.MainmenuViewFontClick(); }},
      {&W::MainmenuViewLargertext, "MainmenuViewLargertext", "Gr\366\337ere Schrift", none,
       kLargerText, false, [](W& w) { w.Edit->ChangeTextSize(1); }},
      {&W::MainmenuViewSmallertext, "MainmenuViewSmallertext", "Kleinere Schrift", none,
       kSmallerText, false, [](W& w) { w.Edit->ChangeTextSize(-1); }},
      {&W::MainmenuViewNormaltext, "MainmenuViewNormaltext", "Normale Schriftgr\366\337e", none,
       kNormalTextSize, false, [](W& w) { w.Edit->ResetTextSize(); }},
      {&W::MainmenuViewLinebreak, "MainmenuViewLinebreak", "Zeilenumbruch", none, kLineBreak, false,
       [](W& w) { w.MainmenuViewLinebreakClick(); }},
      {&W::MainmenuViewHighlighting, "MainmenuViewHighlighting", "Syntaxhervorhebung", none,
       kHighlighting, false, [](W& w) { w.SetHighlighting(!w.Edit->Highlighting()); }},
      {&W::MainmenuViewSymbolbar, "MainmenuViewSymbolbar", "Symbolleiste", none, kSymbolBar, false,
       [](W& w) { w.MainmenuViewSymbolbarClick(); }},
      {&W::MainmenuViewStatusbar, "MainmenuViewStatusbar", "Statusleiste", none, kStatusBar, false,
       [](W& w) { w.MainmenuViewStatusbarClick(); }},
      {&W::MainmenuViewWithbrowser, "MainmenuViewWithbrowser", "mit Standdardbrowser", none,
       kViewWithBrowser, false, [](W& w) { w.session_.Preview(); }},
      {&W::MainmenuViewChanges, "MainmenuViewChanges", "\304nderungen", none, kChanges, true,
       [](W& w) {
         if (const auto& change = w.session_.LastCompression()) {
           TChangesDialog::Open(w, change->Before, change->After, w.Edit->Encoding());
         }
       }},
      {&W::MainmenuExtrasContextmenu, "MainmenuExtrasContextmenu", "Kontextmen\xFC", none,
       kEditContextMenu, true, [](W& w) { w.MainmenuExtrasContextmenuClick(); }},
      {&W::MainmenuExtrasTaglist, "MainmenuExtrasTaglist", "Tagliste", none, kTagList, true,
       [](W& w) { w.MainmenuExtrasTaglistClick(); }},
      {&W::MainmenuExtrasOptions, "MainmenuExtrasOptions", "Optionen", none, kOptions, true,
       [](W& w) { w.MainmenuExtrasOptionsClick(); }},
      {&W::MainMenuHelpHelpwithbrowser, "MainMenuHelpHelpwithbrowser", "Hilfe mit Internet-Browser",
       Qt::Key_F1, kHelpWithBrowser, false, [](W& w) { w.session_.Help(); }},
      {&W::MainMenuHelpAbout, "MainMenuHelpAbout", "\334ber", none, kAbout, true,
       [](W& w) { w.MainMenuHelpAboutClick(); }},
  };
  return commands;
}

TMainWindow::TMainWindow(const TLanguageChooser& chooseLanguage, TSettingsStore& store,
                         QWidget* parent)
    : QMainWindow(parent),
      session_(*this, store),
      store_(store),
      placement_(*this),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      extras_(SettingsDialogCommands()) {
  setObjectName("FormMain");
  setWindowTitle(TEditorSession::kApplicationTitle);
  resize(720, 520);
  Edit = new TSourceEdit(this);
  setCentralWidget(Edit);
  CreateActions();
  CreateMenus();
  CreatePopupMenu();
  CreateToolBar();
  CreateStatusBar();

  store_.SetForm(&placement_);
  store_.RestorePlacement();
  HistoryFiles = new TMenuHistoryFiles(
      session_.Settings().History, MainmenuFile, MainmenuFileBar1,
      [this](const std::string& path) { session_.OpenRecent(path); }, this);
  session_.Start(chooseLanguage);
  ApplyWindowSettings();

  ApplyTexts();
  AssignMenuAccelerators();
  AddDesktopShortcuts(*this);
  search_ = new TEditorSearch(*Edit, session_, this);
  ConnectEditor();

  SetModified(false);
  StatusPanels[3]->setText(UiText(GetText(textid::kStatusInsert)));
  creating_ = false;
  EditChanged();
  EditSelectionChange();
  CheckClipboardState();
  ShowTitle(session_.Title());
}

TMainWindow::~TMainWindow() {
  // The editor and the clipboard must not reach a window that is going away.
  disconnect(Edit, nullptr, this, nullptr);
  disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
  StoreWindowSettings();
  session_.Finish();
  store_.SetForm(nullptr);
}

void TMainWindow::CreateActions() {
  for (const TCommand& command : Commands()) {
    auto* action = new QAction(UiText(std::string(command.Caption)), this);
    action->setObjectName(command.Name);
    if (command.Shortcut.key() != Qt::Key_unknown) {
      action->setShortcut(QKeySequence(command.Shortcut));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    if (command.Run != nullptr) {
      connect(action, &QAction::triggered, this, [this, run = command.Run] { run(*this); });
    }
    this->*command.Action = action;
  }
  MainMenuEditRedo->setVisible(false);
  MainmenuViewChanges->setEnabled(false);
  MainmenuFileBar1 = new QAction(this);
  MainmenuFileBar1->setObjectName("MainmenuFileBar1");
  MainmenuFileBar1->setSeparator(true);
  for (QAction* view : {MainmenuViewLinebreak, MainmenuViewHighlighting, MainmenuViewSymbolbar,
                        MainmenuViewStatusbar}) {
    view->setCheckable(true);
    view->setChecked(view != MainmenuViewLinebreak);
  }
}

void TMainWindow::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  const auto addMenu = [&](const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(UiText(std::string(caption)));
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
  };
  MainmenuFile = addMenu("MainmenuFile", "Datei");
  MainmenuFile->addActions({MainmenuFileNew, MainmenuFileOpen, MainmenuFileCompress,
                            MainmenuFileSave, MainmenuFileSaveas, MainmenuFileClose,
                            MainmenuFileBar1, MainmenuFileQuit});
  MainMenuEdit = addMenu("MainMenuEdit", "Bearbeiten");
  MainMenuEdit->addActions({MainMenuEditUndo, MainMenuEditRedo});
  MainMenuEdit->addSeparator();
  MainMenuEdit->addActions({MainMenuEditCut, MainMenuEditPaste, MainMenuEditCopy});
  MainMenuEdit->addSeparator();
  MainMenuEdit->addAction(MainMenuEditDelete);
  MainMenuEdit->addSeparator();
  MainMenuEdit->addAction(MainMenuEditSelectall);
  MainMenuSearch = addMenu("MainMenuSearch", "Suchen");
  MainMenuSearch->addActions(
      {MainMenuSearchSearch, MainMenuSearchSearchmore, MainMenuSearchSearchprevious});
  MainMenuSearch->addSeparator();
  MainMenuSearch->addActions({MainMenuSearchReplace, MainMenuSearchReplacemore});
  MainmenuView = addMenu("MainmenuView", "Ansicht");
  MainmenuView->addActions({MainmenuViewLanguage, MainmenuViewFont, MainmenuViewLargertext,
                            MainmenuViewSmallertext, MainmenuViewNormaltext, MainmenuViewLinebreak,
                            MainmenuViewHighlighting, MainmenuViewSymbolbar,
                            MainmenuViewStatusbar});
  MainmenuView->addSeparator();
  MainmenuView->addActions({MainmenuViewWithbrowser, MainmenuViewChanges});
  MainmenuExtras = addMenu("MainmenuExtras", "Extras");
  MainmenuExtras->addActions(
      {MainmenuExtrasContextmenu, MainmenuExtrasTaglist, MainmenuExtrasOptions});
  MainMenuHelp = addMenu("MainMenuHelp", "Hilfe");
  MainMenuHelp->addAction(MainMenuHelpHelpwithbrowser);
  MainMenuHelp->addSeparator();
  MainMenuHelp->addAction(MainMenuHelpAbout);
}

// A popup item or tool button that acts, and is enabled, as its main menu item; its texts
// follow the item's (see ApplyTexts).
QAction* TMainWindow::NewMirror(const char* name, QAction* item, bool withVisibility) {
  auto* mirror = new QAction(item->text(), this);
  mirror->setObjectName(name);
  mirror->setData(QVariant::fromValue<QObject*>(item));
  const auto follow = [item, mirror, withVisibility] {
    mirror->setEnabled(item->isEnabled());
    if (withVisibility) {
      mirror->setVisible(item->isVisible());
    }
  };
  follow();
  connect(item, &QAction::changed, mirror, follow);
  connect(mirror, &QAction::triggered, item, &QAction::trigger);
  return mirror;
}

void TMainWindow::CreatePopupMenu() {
  PopupMenuEdit = new QMenu(this);
  PopupMenuEdit->setObjectName("PopupMenuEdit");
  const std::pair<const char*, QAction*> items[] = {
      {"PopupMenuEditUndo", MainMenuEditUndo},
      {"PopupMenuEditRedo", MainMenuEditRedo},
      {nullptr, nullptr},
      {"PopupMenuEditCut", MainMenuEditCut},
      {"PopupMenuEditPaste", MainMenuEditPaste},
      {"PopupMenuEditCopy", MainMenuEditCopy},
      {"PopupMenuEditDelete", MainMenuEditDelete},
      {nullptr, nullptr},
      {"PopupMenuEditCompress", MainmenuFileCompress}};
  for (const auto& [name, item] : items) {
    if (name == nullptr) {
      PopupMenuEdit->addSeparator();
    } else {
      PopupMenuEdit->addAction(NewMirror(name, item, true));
    }
  }
}

void TMainWindow::CreateToolBar() {
  ToolBar1 = addToolBar(QString());
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(22, 22));
  ToolBar1->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  const struct {
    const char* Name;
    QAction* Item;
    TToolIcon Icon;
  } buttons[] = {
      {"ToolButtonNew", MainmenuFileNew, TToolIcon::New},
      {"ToolButtonOpen", MainmenuFileOpen, TToolIcon::Open},
      {"ToolButtonSaveas", MainmenuFileSaveas, TToolIcon::SaveAs},
      {nullptr, nullptr, {}},
      {"ToolButtonCompress", MainmenuFileCompress, TToolIcon::Compress},
      {nullptr, nullptr, {}},
      {"ToolButtonCopy", MainMenuEditCopy, TToolIcon::Copy},
      {"ToolButtonPaste", MainMenuEditPaste, TToolIcon::Paste},
      {"ToolButtonCut", MainMenuEditCut, TToolIcon::Cut},
      {nullptr, nullptr, {}},
      {"ToolButtonUndo", MainMenuEditUndo, TToolIcon::Undo},
      {"ToolButtonRedo", MainMenuEditRedo, TToolIcon::Redo},
      {nullptr, nullptr, {}},
      {"ToolButtonSearch", MainMenuSearchSearch, TToolIcon::Search},
      {"ToolButtonSearchContinue", MainMenuSearchSearchmore, TToolIcon::SearchContinue},
  };
  for (const auto& button : buttons) {
    if (button.Name == nullptr) {
      ToolBar1->addSeparator();
      continue;
    }
    // The tool buttons stay visible whichever of Undo and Redo the menu offers.
    QAction* tool = NewMirror(button.Name, button.Item, false);
    tool->setIcon(ToolBarIcon(button.Icon, style()));
    ToolBar1->addAction(tool);
    if (QWidget* widget = ToolBar1->widgetForAction(tool)) {
      widget->setObjectName(button.Name);
    }
  }
}

void TMainWindow::CreateStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(true);
  const struct {
    int Width;
    Qt::Alignment Alignment;
  } panels[] = {{50, Qt::AlignLeft},
                {50, Qt::AlignRight},
                {50, Qt::AlignRight},
                {30, Qt::AlignLeft},
                {50, Qt::AlignLeft}};
  for (size_t i = 0; i < std::size(panels); ++i) {
    auto* label = new QLabel(StatusBar1);
    label->setObjectName(QString("StatusPanel%1").arg(i));
    label->setAlignment(panels[i].Alignment | Qt::AlignVCenter);
    label->setMinimumWidth(panels[i].Width);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    StatusBar1->addWidget(label, i + 1 == std::size(panels) ? 1 : 0);
    StatusPanels.push_back(label);
  }
  StatusPanels[1]->setText("1");
  StatusPanels[2]->setText("1");
  // The font's point size plus 10, and never less than the panels' text needs.
  StatusBar1->setFixedHeight(
      std::max(StatusBar1->font().pointSize() + 10, StatusBar1->fontMetrics().height() + 10));
}

void TMainWindow::ConnectEditor() {
  connect(Edit, &TSourceEdit::Changed, this, &TMainWindow::EditChanged);
  connect(Edit, &TSourceEdit::ModifiedChanged, this, &TMainWindow::EditModifiedChanged);
  connect(Edit, &TSourceEdit::OverwriteChanged, this, &TMainWindow::EditOverwriteChanged);
  connect(Edit, &TSourceEdit::UndoStateChanged, this, &TMainWindow::UpdateUndoRedo);
  connect(Edit, &QPlainTextEdit::selectionChanged, this, &TMainWindow::EditSelectionChange);
  connect(Edit, &QPlainTextEdit::cursorPositionChanged, this, &TMainWindow::EditSelectionChange);
  connect(Edit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenuEdit->popup(Edit->mapToGlobal(at)); });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          &TMainWindow::CheckClipboardState);
}

// The language's captions: capitalised, "..." where the command opens a dialog; tool buttons
// and popup items take their menu item's caption, the tool buttons as their hint too.
void TMainWindow::ApplyTexts() {
  const auto caption = [](const QString& current, uint32_t id, bool ellipsis) {
    std::string text = CapText(GetText(id, ProgramText(QString(current).remove('&'))));
    if (ellipsis && !(text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0)) {
      text += "...";
    }
    return UiText(text);
  };
  for (const TCommand& command : Commands()) {
    if (command.TextId != 0) {
      QAction* action = this->*command.Action;
      action->setText(caption(action->text(), command.TextId, command.Ellipsis));
    }
  }
  const std::pair<QMenu*, uint32_t> menus[] = {
      {MainmenuFile, textid::kMenuFile},     {MainMenuEdit, textid::kEdit},
      {MainMenuSearch, textid::kSearch},     {MainmenuView, textid::kMenuView},
      {MainmenuExtras, textid::kMenuExtras}, {MainMenuHelp, textid::kHelp}};
  for (const auto& [menu, id] : menus) {
    menu->setTitle(caption(menu->title(), id, false));
  }
  for (QAction* mirror : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
    if (auto* item = qobject_cast<QAction*>(mirror->data().value<QObject*>())) {
      mirror->setText(item->text());
      mirror->setToolTip(item->text());
    }
  }
}

void TMainWindow::AssignMenuAccelerators() {
  const auto assign = [](const QList<QAction*>& actions) {
    std::vector<QAction*> items;
    std::vector<std::string> captions;
    for (QAction* action : actions) {
      if (!action->isSeparator() && !action->property(TMenuHistoryFiles::kPathProperty).isValid()) {
        items.push_back(action);
        captions.push_back(ProgramText(action->text()));
      }
    }
    AssignAccelerators(captions);
    for (size_t i = 0; i < items.size(); ++i) {
      items[i]->setText(UiText(captions[i]));
    }
  };
  assign(menuBar()->actions());
  for (QMenu* menu :
       {MainmenuFile, MainMenuEdit, MainMenuSearch, MainmenuView, MainmenuExtras, MainMenuHelp}) {
    assign(menu->actions());
  }
  assign(PopupMenuEdit->actions());
}

void TMainWindow::ApplyWindowSettings() {
  const TWindowSettings& settings = session_.Settings();
  if (settings.LineBreak) {
    SetWordWrap(*settings.LineBreak);
  }
  if (settings.ViewSymbolbar) {
    SetToolbarVisible(*settings.ViewSymbolbar);
  }
  if (settings.ViewStatusbar) {
    SetStatusbarVisible(*settings.ViewStatusbar);
  }
  SetHighlighting(settings.Highlighting.value_or(true));
  Edit->SetChosenFont(settings.Font ? FontOf(*settings.Font)
                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont));
  HistoryFiles->Rebuild();
}

void TMainWindow::StoreWindowSettings() {
  TWindowSettings& settings = session_.Settings();
  settings.LineBreak = MainmenuViewLinebreak->isChecked();
  settings.ViewSymbolbar = MainmenuViewSymbolbar->isChecked();
  settings.ViewStatusbar = MainmenuViewStatusbar->isChecked();
  settings.Highlighting = MainmenuViewHighlighting->isChecked();
  settings.Font = FontSettingsOf(Edit->ChosenFont(), settings.Font.value_or(TFontSettings{}));
}

// ---- The editor as the session sees it

std::string TMainWindow::Text() const {
  return Edit->DocumentBytes();
}

void TMainWindow::SetText(const std::string& bytes, bool undoable) {
  Edit->SetDocumentBytes(bytes, undoable);
}

bool TMainWindow::Modified() const {
  return Edit != nullptr && Edit->Modified();
}

void TMainWindow::SetModified(bool value) {
  if (Modified() != value) {
    Edit->SetModified(value);
  }
}

void TMainWindow::ShowHistory() {
  HistoryFiles->Rebuild();
}

void TMainWindow::SetBusy(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void TMainWindow::ShowLastCompression() {
  const std::optional<TCompressedChange>& change = session_.LastCompression();
  MainmenuViewChanges->setEnabled(change.has_value());
  StatusPanels[4]->setText(change ? CompressionSummary(change->Before.size(), change->After.size())
                                  : QString());
}

void TMainWindow::WaitUntilProgressClosed() {
  if (progressWaiter_) {
    progressWaiter_();
  } else {
    WaitUntilProgressWindowClosed();
  }
}

// ---- Window events

void TMainWindow::closeEvent(QCloseEvent* event) {
  if (session_.MayClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool TMainWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    // After the activation is done: the reload question is a window of its own.
    QMetaObject::invokeMethod(this, &TMainWindow::FormActivate, Qt::QueuedConnection);
  }
  return QMainWindow::event(event);
}

void TMainWindow::FormActivate() {
  CheckClipboardState();
  session_.CheckReload();
}

// ---- Status bar and enabling

void TMainWindow::EditChanged() {
  const bool notEmpty = Edit->TextLength() > 0;
  for (QAction* action :
       {MainMenuEditSelectall, MainmenuViewWithbrowser, MainmenuFileCompress, MainMenuSearchSearch,
        MainMenuSearchSearchmore, MainMenuSearchSearchprevious, MainMenuSearchReplace,
        MainMenuSearchReplacemore}) {
    action->setEnabled(notEmpty);
  }
  UpdateUndoRedo();
  UpdateDeleteCommand();
  session_.TextChanged();
}

void TMainWindow::UpdateDeleteCommand() {
  const bool canDelete =
      !Edit->isReadOnly() && (Edit->SelLength() > 0 || Edit->SelStart() < Edit->TextLength());
  MainMenuEditDelete->setEnabled(canDelete);
}

void TMainWindow::EditSelectionChange() {
  if (creating_) {
    return;
  }
  const bool selected = Edit->SelLength() > 0;
  MainMenuEditCut->setEnabled(selected);
  MainMenuEditCopy->setEnabled(selected);
  UpdateDeleteCommand();
  StatusPanels[1]->setText(QString::number(Edit->IndexRow() + 1));
  StatusPanels[2]->setText(QString::number(Edit->IndexCol() + 1));
}

void TMainWindow::EditModifiedChanged(bool modified) {
  StatusPanels[0]->setText(modified ? CapUiText(textid::kStatusModified) : QString());
}

void TMainWindow::EditOverwriteChanged(bool overwrite) {
  StatusPanels[3]->setText(
      UiText(GetText(overwrite ? textid::kStatusOverwrite : textid::kStatusInsert)));
}

void TMainWindow::UpdateUndoRedo() {
  const bool canUndo = Edit->CanUndoNow();
  const bool canRedo = Edit->CanRedoNow();
  MainMenuEditUndo->setVisible(canUndo || !canRedo);
  MainMenuEditUndo->setEnabled(canUndo);
  MainMenuEditRedo->setVisible(!canUndo && canRedo);
  MainMenuEditRedo->setEnabled(!canUndo && canRedo);
}

void TMainWindow::CheckClipboardState() {
  if (Edit->isReadOnly()) {
    return;
  }
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  MainMenuEditPaste->setEnabled(data != nullptr && data->hasText());
}

// ---- Commands

void TMainWindow::MainmenuFileCompressClick() {
  // Nothing may be typed into the text while the run works on it.
  const bool readOnly = Edit->isReadOnly();
  Edit->setReadOnly(true);
  session_.Compress();
  Edit->setReadOnly(readOnly);
  // The progress window had the keyboard, and the disabled window lost its focus: typing goes
  // on in the text.
  Edit->setFocus(Qt::OtherFocusReason);
}

void TMainWindow::MainMenuEditCutClick() {
  Edit->cut();
  CheckClipboardState();
}

void TMainWindow::MainMenuEditCopyClick() {
  Edit->copy();
  CheckClipboardState();
}

void TMainWindow::MainMenuEditDeleteClick() {
  // Acts exactly as a press of the Delete key in the editor.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(Edit, &press);
}

void TMainWindow::SetWordWrap(bool value) {
  if (value == (Edit->lineWrapMode() != QPlainTextEdit::NoWrap)) {
    return;
  }
  const int start = Edit->SelStart();
  const int length = Edit->SelLength();
  MainmenuViewLinebreak->setChecked(value);
  Edit->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  Edit->SetSelection(start, length);
}

void TMainWindow::SetToolbarVisible(bool value) {
  ToolBar1->setVisible(value);
  MainmenuViewSymbolbar->setChecked(value);
}

void TMainWindow::SetStatusbarVisible(bool value) {
  StatusBar1->setVisible(value);
  MainmenuViewStatusbar->setChecked(value);
}

void TMainWindow::MainmenuViewLinebreakClick() {
  SetWordWrap(Edit->lineWrapMode() == QPlainTextEdit::NoWrap);
}

void TMainWindow::MainmenuViewSymbolbarClick() {
  SetToolbarVisible(!ToolBar1->isVisibleTo(this));
}

void TMainWindow::MainmenuViewStatusbarClick() {
  SetStatusbarVisible(!StatusBar1->isVisibleTo(this));
}

void TMainWindow::MainmenuViewFontClick() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, Edit->ChosenFont(), this);
  if (ok) {
    Edit->SetChosenFont(font);
  }
}

void TMainWindow::SetHighlighting(bool value) {
  MainmenuViewHighlighting->setChecked(value);
  Edit->SetHighlighting(value);
}

void TMainWindow::MainmenuViewLanguageClick() {
  if (extras_.Language && extras_.Language(*this)) {
    session_.Messages().Information(CapUiText(textid::kLanguageChanged, "."), QString());
  }
}

void TMainWindow::MainmenuExtrasContextmenuClick() {
  if (FormContextmenu == nullptr) {
    FormChooseExt = new TExtensionDialog(this);
    FormContextmenu = new TContextMenuDialog(*FormChooseExt, this);
    connect(FormContextmenu, &TContextMenuDialog::HelpRequested, this,
            [this](int context) { session_.DialogHelp(context); });
  }
  EditContextMenu(*FormContextmenu);
}

void TMainWindow::MainmenuExtrasTaglistClick() {
  if (extras_.TagList) {
    extras_.TagList(*this);
  }
}

void TMainWindow::MainmenuExtrasOptionsClick() {
  if (extras_.Options) {
    extras_.Options(*this);
  }
}

void TMainWindow::MainMenuHelpAboutClick() {
  session_.Messages().Information(QString("%1 %2.%3")
                                      .arg(TEditorSession::kApplicationTitle)
                                      .arg(kVersionMajor)
                                      .arg(kVersionMinor),
                                  QString());
}

}  // namespace quorvane
