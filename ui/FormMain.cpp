#include "ui/FormMain.h"

#include "ui/SettingsDialogCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "batch/ProgramId.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/ContextMenuEditing.h"
#include "ui/FormChooseExt.h"
#include "ui/FormContextmenu.h"
#include "ui/MenuHistoryFiles.h"
#include "ui/RichEditEx.h"
#include "ui/ToolBarIcons.h"
#include "ui/UiFormat.h"
#include "ui/UiText.h"

namespace quorvane {

namespace {

TFontSettings FontSettingsOf(const QFont& font, const TFontSettings& previous) {
  TFontSettings settings = previous;
  settings.Name = font.family().toStdString();
  settings.Size = font.pointSize() > 0 ? font.pointSize() : previous.Size;
  settings.Height = -static_cast<int32_t>(QFontInfo(font).pixelSize());
  settings.Pitch = font.fixedPitch() ? 1 : 0;
  settings.Bold = font.bold();
  settings.Italic = font.italic();
  settings.Underline = font.underline();
  settings.Strikeout = font.strikeOut();
  return settings;
}

QFont FontOf(const TFontSettings& settings) {
  QFont font(QString::fromStdString(settings.Name));
  if (settings.Size > 0) {
    font.setPointSize(settings.Size);
  } else if (settings.Height != 0) {
    font.setPixelSize(settings.Height < 0 ? -settings.Height : settings.Height);
  }
  font.setBold(settings.Bold);
  font.setItalic(settings.Italic);
  font.setUnderline(settings.Underline);
  font.setStrikeOut(settings.Strikeout);
  if (settings.Pitch == 1) {
    font.setStyleHint(QFont::TypeWriter);
  }
  return font;
}

}  // namespace

TFormMain::TFormMain(const TLanguageChooser& chooseLanguage, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(MakeStandardUserDialogs(this)),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      extras_(SettingsDialogCommands()) {
  FormCreate(chooseLanguage);
}

TFormMain::~TFormMain() {
  FormDestroy();
}

void TFormMain::SetUserDialogs(std::unique_ptr<IUserDialogs> dialogs) {
  dialogs_ = std::move(dialogs);
}

void TFormMain::FormCreate(const TLanguageChooser& chooseLanguage) {
  setObjectName("FormMain");
  setWindowTitle(kApplicationTitle);
  resize(720, 520);
  document_.SetEditorHost(this);
  document_.NameChanged = [this] { UpdateTitle(); };

  Edit = new TRichEditEx(this);
  setCentralWidget(Edit);
  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();

  ApplicationReg().SetForm(this);
  ApplicationReg().RestorePlacement();
  HistoryFiles = new TMenuHistoryFiles(
      settings_.History, MainmenuFile, MainmenuFileBar1,
      [this](const std::string& path) { RunCommand([this, path] { HistoryFileClick(path); }); },
      this);

  LoadMainSettings(ApplicationReg(), document_, settings_);
  ApplyWindowSettings();
  StartLanguage(ApplicationReg(), settings_,
                chooseLanguage ? chooseLanguage : TLanguageChooser(ChooseLanguageForLocale));

  ApplyTexts();
  AssignMenuAccelerators();
  CreateSearchDialogs();

  connect(Edit, &TRichEditEx::Changed, this, &TFormMain::EditChanged);
  connect(Edit, &TRichEditEx::ModifiedChanged, this, &TFormMain::EditModifiedChanged);
  connect(Edit, &TRichEditEx::OverwriteChanged, this, &TFormMain::EditOverwriteChanged);
  connect(Edit, &TRichEditEx::UndoStateChanged, this, &TFormMain::UpdateUndoRedo);
  connect(Edit, &QPlainTextEdit::selectionChanged, this, &TFormMain::EditSelectionChange);
  connect(Edit, &QPlainTextEdit::cursorPositionChanged, this, &TFormMain::EditSelectionChange);
  connect(Edit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenuEdit->popup(Edit->mapToGlobal(at)); });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          &TFormMain::CheckClipboardState);

  SetModified(false);
  StatusPanels[3]->setText(UiText(GetText(textid::kStatusInsert)));
  creating_ = false;
  EditChanged();
  EditSelectionChange();
  CheckClipboardState();
  UpdateTitle();
}

void TFormMain::FormDestroy() {
  StoreWindowSettings();
  try {
    SaveMainSettings(ApplicationReg(), document_, settings_);
  } catch (const TRegistryError& error) {
    dialogs_->Error(UiText(error.what()));
  }
  ApplicationReg().SetForm(nullptr);
  if (!PreviewFileName().empty()) {
    SetPreviewFileName({});
  }
  document_.SetEditorHost(nullptr);
}

QAction* TFormMain::NewAction(const char* name, const char* caption, QKeyCombination shortcut) {
  auto* action = new QAction(UiText(std::string(caption)), this);
  action->setObjectName(name);
  if (shortcut.key() != Qt::Key_unknown) {
    action->setShortcut(QKeySequence(shortcut));
    action->setShortcutContext(Qt::WindowShortcut);
  }
  return action;
}

void TFormMain::ConnectCommand(QAction* action, void (TFormMain::*handler)()) {
  connect(action, &QAction::triggered, this,
          [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void TFormMain::LinkAction(QAction* item, QAction* other, bool withVisibility) {
  other->setEnabled(item->isEnabled());
  if (withVisibility) {
    other->setVisible(item->isVisible());
  }
  connect(item, &QAction::changed, other, [item, other, withVisibility] {
    other->setEnabled(item->isEnabled());
    if (withVisibility) {
      other->setVisible(item->isVisible());
    }
  });
}

QAction* TFormMain::NewToolAction(const char* name, QAction* item, const QIcon& icon) {
  auto* action = new QAction(icon, item->text(), this);
  action->setObjectName(name);
  LinkAction(item, action, false);
  connect(action, &QAction::triggered, item, &QAction::trigger);
  return action;
}

QAction* TFormMain::NewPopupAction(const char* name, QAction* item) {
  auto* action = new QAction(item->text(), this);
  action->setObjectName(name);
  LinkAction(item, action, true);
  connect(action, &QAction::triggered, item, &QAction::trigger);
  return action;
}

void TFormMain::CreateActions() {
  MainmenuFileNew = NewAction("MainmenuFileNew", "Neu");
  MainmenuFileOpen = NewAction("MainmenuFileOpen",
                               "\xD6"
                               "ffnen",
                               Qt::CTRL | Qt::Key_O);
  MainmenuFileCompress = NewAction("MainmenuFileCompress", "Verdichten", Qt::CTRL | Qt::Key_F9);
  MainmenuFileSave = NewAction("MainmenuFileSave", "Speichern");
  MainmenuFileSave->setEnabled(false);
  MainmenuFileSave->setVisible(false);
  MainmenuFileSaveas = NewAction("MainmenuFileSaveas", "Speichern unter", Qt::CTRL | Qt::Key_S);
  MainmenuFileBar1 = new QAction(this);
  MainmenuFileBar1->setObjectName("MainmenuFileBar1");
  MainmenuFileBar1->setSeparator(true);
  MainmenuFileQuit = NewAction("MainmenuFileQuit", "Beenden");
  MainMenuEditUndo = NewAction("MainMenuEditUndo",
                               "R\xFC"
                               "ckg\xE4ngig",
                               Qt::CTRL | Qt::Key_Z);
  MainMenuEditRedo = NewAction("MainMenuEditRedo", "Wiederherstellen");
  MainMenuEditRedo->setVisible(false);
  MainMenuEditCut = NewAction("MainMenuEditCut", "Ausschneiden", Qt::CTRL | Qt::Key_X);
  MainMenuEditPaste = NewAction("MainMenuEditPaste", "Einf\xFCgen", Qt::CTRL | Qt::Key_V);
  MainMenuEditCopy = NewAction("MainMenuEditCopy", "Kopieren", Qt::CTRL | Qt::Key_C);
  MainMenuEditDelete = NewAction("MainMenuEditDelete", "L\xF6schen");
  MainMenuEditSelectall =
      NewAction("MainMenuEditSelectall", "Alles markieren", Qt::CTRL | Qt::Key_A);
  MainMenuSearchSearch = NewAction("MainMenuSearchSearch", "Suchen...", Qt::Key_F3);
  MainMenuSearchSearchmore =
      NewAction("MainMenuSearchSearchmore", "Weitersuchen", Qt::CTRL | Qt::Key_F3);
  MainMenuSearchReplace = NewAction("MainMenuSearchReplace", "Ersetzen...", Qt::Key_F8);
  MainMenuSearchReplacemore = NewAction("MainMenuSearchReplacemore",
                                        "N\xE4"
                                        "chstes ersetzen",
                                        Qt::CTRL | Qt::Key_F8);
  MainmenuViewLanguage = NewAction("MainmenuViewLanguage", "Sprache");
  MainmenuViewFont = NewAction("MainmenuViewFont", "Schriftart");
  MainmenuViewLinebreak = NewAction("MainmenuViewLinebreak", "Zeilenumbruch");
  MainmenuViewLinebreak->setCheckable(true);
  MainmenuViewSymbolbar = NewAction("MainmenuViewSymbolbar", "Symbolleiste");
  MainmenuViewSymbolbar->setCheckable(true);
  MainmenuViewSymbolbar->setChecked(true);
  MainmenuViewStatusbar = NewAction("MainmenuViewStatusbar", "Statusleiste");
  MainmenuViewStatusbar->setCheckable(true);
  MainmenuViewStatusbar->setChecked(true);
  MainmenuViewWithbrowser = NewAction("MainmenuViewWithbrowser", "mit Standdardbrowser");
  MainmenuExtrasContextmenu = NewAction("MainmenuExtrasContextmenu", "Kontextmen\xFC");
  MainmenuExtrasTaglist = NewAction("MainmenuExtrasTaglist", "Tagliste");
  MainmenuExtrasOptions = NewAction("MainmenuExtrasOptions", "Optionen");
  MainMenuHelpHelpwithbrowser =
      NewAction("MainMenuHelpHelpwithbrowser", "Hilfe mit Internet-Browser", Qt::Key_F1);
  MainMenuHelpAbout = NewAction("MainMenuHelpAbout",
                                "\xDC"
                                "ber");

  ConnectCommand(MainmenuFileNew, &TFormMain::MainmenuFileNewClick);
  ConnectCommand(MainmenuFileOpen, &TFormMain::MainmenuFileOpenClick);
  ConnectCommand(MainmenuFileCompress, &TFormMain::MainmenuFileCompressClick);
  connect(MainmenuFileSaveas, &QAction::triggered, this,
          [this] { RunCommand([this] { MainmenuFileSaveasClick(); }); });
  connect(MainmenuFileQuit, &QAction::triggered, this, &QWidget::close);
  ConnectCommand(MainMenuEditUndo, &TFormMain::MainMenuEditUndoClick);
  ConnectCommand(MainMenuEditRedo, &TFormMain::MainMenuEditRedoClick);
  ConnectCommand(MainMenuEditCut, &TFormMain::MainMenuEditCutClick);
  ConnectCommand(MainMenuEditPaste, &TFormMain::MainMenuEditPasteClick);
  ConnectCommand(MainMenuEditCopy, &TFormMain::MainMenuEditCopyClick);
  ConnectCommand(MainMenuEditDelete, &TFormMain::MainMenuEditDeleteClick);
  ConnectCommand(MainMenuEditSelectall, &TFormMain::MainMenuEditSelectallClick);
  connect(MainMenuSearchSearch, &QAction::triggered, this,
          [this] { MainMenuSearchSearchClick(MainMenuSearchSearch); });
  connect(MainMenuSearchReplace, &QAction::triggered, this,
          [this] { MainMenuSearchSearchClick(MainMenuSearchReplace); });
  ConnectCommand(MainMenuSearchSearchmore, &TFormMain::MainMenuSearchSearchmoreClick);
  ConnectCommand(MainMenuSearchReplacemore, &TFormMain::MainMenuSearchReplacemoreClick);
  ConnectCommand(MainmenuViewLanguage, &TFormMain::MainmenuViewLanguageClick);
  ConnectCommand(MainmenuViewFont, &TFormMain::MainmenuViewFontClick);
  ConnectCommand(MainmenuViewLinebreak, &TFormMain::MainmenuViewLinebreakClick);
  ConnectCommand(MainmenuViewSymbolbar, &TFormMain::MainmenuViewSymbolbarClick);
  ConnectCommand(MainmenuViewStatusbar, &TFormMain::MainmenuViewStatusbarClick);
  ConnectCommand(MainmenuViewWithbrowser, &TFormMain::MainmenuViewWithbrowserClick);
  ConnectCommand(MainmenuExtrasContextmenu, &TFormMain::MainmenuExtrasContextmenuClick);
  ConnectCommand(MainmenuExtrasTaglist, &TFormMain::MainmenuExtrasTaglistClick);
  ConnectCommand(MainmenuExtrasOptions, &TFormMain::MainmenuExtrasOptionsClick);
  ConnectCommand(MainMenuHelpHelpwithbrowser, &TFormMain::MainMenuHelpHelpwithbrowserClick);
  ConnectCommand(MainMenuHelpAbout, &TFormMain::MainMenuHelpAboutClick);

  // The commands that need text start disabled; EditChanged keeps them in step.
  for (QAction* action :
       {MainMenuEditSelectall, MainmenuViewWithbrowser, MainmenuFileCompress, MainMenuSearchSearch,
        MainMenuSearchSearchmore, MainMenuSearchReplace, MainMenuSearchReplacemore}) {
    action->setEnabled(false);
  }
}

void TFormMain::CreateMenus() {
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
                            MainmenuFileSave, MainmenuFileSaveas, MainmenuFileBar1,
                            MainmenuFileQuit});
  MainMenuEdit = addMenu("MainMenuEdit", "Bearbeiten");
  MainMenuEdit->addActions({MainMenuEditUndo, MainMenuEditRedo});
  MainMenuEdit->addSeparator();
  MainMenuEdit->addActions({MainMenuEditCut, MainMenuEditPaste, MainMenuEditCopy});
  MainMenuEdit->addSeparator();
  MainMenuEdit->addAction(MainMenuEditDelete);
  MainMenuEdit->addSeparator();
  MainMenuEdit->addAction(MainMenuEditSelectall);
  MainMenuSearch = addMenu("MainMenuSearch", "Suchen");
  MainMenuSearch->addActions({MainMenuSearchSearch, MainMenuSearchSearchmore});
  MainMenuSearch->addSeparator();
  MainMenuSearch->addActions({MainMenuSearchReplace, MainMenuSearchReplacemore});
  MainmenuView = addMenu("MainmenuView", "Ansicht");
  MainmenuView->addActions({MainmenuViewLanguage, MainmenuViewFont, MainmenuViewLinebreak,
                            MainmenuViewSymbolbar, MainmenuViewStatusbar});
  MainmenuView->addSeparator();
  MainmenuView->addAction(MainmenuViewWithbrowser);
  MainmenuExtras = addMenu("MainmenuExtras", "Extras");
  MainmenuExtras->addActions(
      {MainmenuExtrasContextmenu, MainmenuExtrasTaglist, MainmenuExtrasOptions});
  MainMenuHelp = addMenu("MainMenuHelp", "Hilfe");
  MainMenuHelp->addAction(MainMenuHelpHelpwithbrowser);
  MainMenuHelp->addSeparator();
  MainMenuHelp->addAction(MainMenuHelpAbout);

  PopupMenuEdit = new QMenu(this);
  PopupMenuEdit->setObjectName("PopupMenuEdit");
  PopupMenuEditUndo = NewPopupAction("PopupMenuEditUndo", MainMenuEditUndo);
  PopupMenuEditRedo = NewPopupAction("PopupMenuEditRedo", MainMenuEditRedo);
  PopupMenuEditCut = NewPopupAction("PopupMenuEditCut", MainMenuEditCut);
  PopupMenuEditPaste = NewPopupAction("PopupMenuEditPaste", MainMenuEditPaste);
  PopupMenuEditCopy = NewPopupAction("PopupMenuEditCopy", MainMenuEditCopy);
  PopupMenuEditDelete = NewPopupAction("PopupMenuEditDelete", MainMenuEditDelete);
  PopupMenuEditCompress = NewPopupAction("PopupMenuEditCompress", MainmenuFileCompress);
  PopupMenuEdit->addActions({PopupMenuEditUndo, PopupMenuEditRedo});
  PopupMenuEdit->addSeparator();
  PopupMenuEdit->addActions(
      {PopupMenuEditCut, PopupMenuEditPaste, PopupMenuEditCopy, PopupMenuEditDelete});
  PopupMenuEdit->addSeparator();
  PopupMenuEdit->addAction(PopupMenuEditCompress);
}

void TFormMain::CreateToolBar() {
  ToolBar1 = addToolBar(QString());
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(22, 22));
  ToolBar1->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  const auto add = [this](QAction*& tool, const char* name, QAction* item, TToolIcon icon) {
    tool = NewToolAction(name, item, ToolBarIcon(icon, style()));
    ToolBar1->addAction(tool);
    if (QWidget* button = ToolBar1->widgetForAction(tool)) {
      button->setObjectName(name);
    }
  };
  add(ToolButtonNew, "ToolButtonNew", MainmenuFileNew, TToolIcon::New);
  add(ToolButtonOpen, "ToolButtonOpen", MainmenuFileOpen, TToolIcon::Open);
  add(ToolButtonSaveas, "ToolButtonSaveas", MainmenuFileSaveas, TToolIcon::SaveAs);
  ToolBar1->addSeparator();
  add(ToolButtonCompress, "ToolButtonCompress", MainmenuFileCompress, TToolIcon::Compress);
  ToolBar1->addSeparator();
  add(ToolButtonCopy, "ToolButtonCopy", MainMenuEditCopy, TToolIcon::Copy);
  add(ToolButtonPaste, "ToolButtonPaste", MainMenuEditPaste, TToolIcon::Paste);
  add(ToolButtonCut, "ToolButtonCut", MainMenuEditCut, TToolIcon::Cut);
  ToolBar1->addSeparator();
  add(ToolButtonUndo, "ToolButtonUndo", MainMenuEditUndo, TToolIcon::Undo);
  add(ToolButtonRedo, "ToolButtonRedo", MainMenuEditRedo, TToolIcon::Redo);
  ToolBar1->addSeparator();
  add(ToolButtonSearch, "ToolButtonSearch", MainMenuSearchSearch, TToolIcon::Search);
  add(ToolButtonSearchContinue, "ToolButtonSearchContinue", MainMenuSearchSearchmore,
      TToolIcon::SearchContinue);
  // The search button opens the find dialog, whatever the menu item it mirrors does.
  disconnect(ToolButtonSearch, &QAction::triggered, MainMenuSearchSearch, &QAction::trigger);
  connect(ToolButtonSearch, &QAction::triggered, this,
          [this] { MainMenuSearchSearchClick(ToolButtonSearch); });
}

void TFormMain::CreateStatusBar() {
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

void TFormMain::ApplyTexts() {
  using namespace textid;
  const std::vector<TCommandText> texts = {
      {{MainmenuFile->menuAction()}, nullptr, kMenuFile, false},
      {{MainmenuFileNew}, ToolButtonNew, kNew, false},
      {{MainmenuFileOpen}, ToolButtonOpen, kOpen, true},
      {{MainmenuFileSaveas}, ToolButtonSaveas, kSaveAs, true},
      {{MainmenuFileCompress, PopupMenuEditCompress}, ToolButtonCompress, kCompress, false},
      {{MainmenuFileQuit}, nullptr, kQuit, false},
      {{MainMenuEdit->menuAction()}, nullptr, kEdit, false},
      {{MainMenuEditUndo, PopupMenuEditUndo}, ToolButtonUndo, kUndo, false},
      {{MainMenuEditRedo, PopupMenuEditRedo}, ToolButtonRedo, kRedo, false},
      {{MainMenuEditCut, PopupMenuEditCut}, ToolButtonCut, kCut, false},
      {{MainMenuEditCopy, PopupMenuEditCopy}, ToolButtonCopy, kCopy, false},
      {{MainMenuEditPaste, PopupMenuEditPaste}, ToolButtonPaste, kPaste, false},
      {{MainMenuEditDelete, PopupMenuEditDelete}, nullptr, kDelete, false},
      {{MainMenuEditSelectall}, nullptr, kSelectAll, false},
      {{MainMenuSearch->menuAction()}, nullptr, kSearch, false},
      {{MainMenuSearchSearch}, ToolButtonSearch, kSearch, true},
      {{MainMenuSearchSearchmore}, ToolButtonSearchContinue, kSearchNext, false},
      {{MainMenuSearchReplace}, nullptr, kReplace, true},
      {{MainMenuSearchReplacemore}, nullptr, kReplaceNext, false},
      {{MainmenuView->menuAction()}, nullptr, kMenuView, false},
      {{MainmenuViewFont}, nullptr, kFont, true},
      {{MainmenuViewLanguage}, nullptr, kLanguage, true},
      {{MainmenuViewLinebreak}, nullptr, kLineBreak, false},
      {{MainmenuViewSymbolbar}, nullptr, kSymbolBar, false},
      {{MainmenuViewStatusbar}, nullptr, kStatusBar, false},
      {{MainmenuViewWithbrowser}, nullptr, kViewWithBrowser, false},
      {{MainmenuExtras->menuAction()}, nullptr, kMenuExtras, false},
      {{MainmenuExtrasContextmenu}, nullptr, kEditContextMenu, true},
      {{MainmenuExtrasTaglist}, nullptr, kTagList, true},
      {{MainmenuExtrasOptions}, nullptr, kOptions, true},
      {{MainMenuHelp->menuAction()}, nullptr, kHelp, false},
      {{MainMenuHelpHelpwithbrowser}, nullptr, kHelpWithBrowser, false},
      {{MainMenuHelpAbout}, nullptr, kAbout, true},
  };
  for (const TCommandText& entry : texts) {
    const std::string current = ProgramText(entry.Items.front()->text().remove('&'));
    std::string text = CapText(GetText(entry.Id, current));
    if (entry.Ellipsis && !(text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0)) {
      text += "...";
    }
    QString caption = UiText(text);
    for (QAction* item : entry.Items) {
      item->setText(caption);
    }
    if (entry.Tool != nullptr) {
      entry.Tool->setText(caption);
      entry.Tool->setToolTip(caption);
    }
  }
}

void TFormMain::AssignMenuAccelerators() {
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

void TFormMain::ApplyWindowSettings() {
  if (settings_.LineBreak) {
    SetWordWrap(*settings_.LineBreak);
  }
  if (settings_.ViewSymbolbar) {
    SetToolbarVisible(*settings_.ViewSymbolbar);
  }
  if (settings_.ViewStatusbar) {
    SetStatusbarVisible(*settings_.ViewStatusbar);
  }
  if (settings_.Font) {
    Edit->setFont(FontOf(*settings_.Font));
  } else {
    Edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  }
  HistoryFiles->Rebuild();
}

void TFormMain::StoreWindowSettings() {
  settings_.LineBreak = MainmenuViewLinebreak->isChecked();
  settings_.ViewSymbolbar = MainmenuViewSymbolbar->isChecked();
  settings_.ViewStatusbar = MainmenuViewStatusbar->isChecked();
  settings_.Font = FontSettingsOf(Edit->font(), settings_.Font.value_or(TFontSettings{}));
}

void TFormMain::SetLanguageFiles(const std::string& country, const std::string& language) {
  settings_.CountryFile = country;
  settings_.LanguageFile = language;
}

void TFormMain::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const TEditorError& error) {
    dialogs_->Error(error.Text());
  }
}

// ---- Status bar and enabling

void TFormMain::EditChanged() {
  const bool notEmpty = Edit->TextLength() > 0;
  for (QAction* action :
       {MainMenuEditSelectall, MainmenuViewWithbrowser, MainmenuFileCompress, MainMenuSearchSearch,
        MainMenuSearchSearchmore, MainMenuSearchReplace, MainMenuSearchReplacemore}) {
    action->setEnabled(notEmpty);
  }
  UpdateUndoRedo();
  UpdateDeleteCommand();
  previewOutdated_ = true;
}

void TFormMain::UpdateDeleteCommand() {
  const bool canDelete =
      !Edit->isReadOnly() && (Edit->SelLength() > 0 || Edit->SelStart() < Edit->TextLength());
  MainMenuEditDelete->setEnabled(canDelete);
}

void TFormMain::EditSelectionChange() {
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

void TFormMain::EditModifiedChanged(bool modified) {
  StatusPanels[0]->setText(modified ? CapUiText(textid::kStatusModified) : QString());
}

void TFormMain::EditOverwriteChanged(bool overwrite) {
  StatusPanels[3]->setText(
      UiText(GetText(overwrite ? textid::kStatusOverwrite : textid::kStatusInsert)));
}

void TFormMain::UpdateUndoRedo() {
  const bool canUndo = Edit->CanUndoNow();
  const bool canRedo = Edit->CanRedoNow();
  MainMenuEditUndo->setVisible(canUndo || !canRedo);
  MainMenuEditUndo->setEnabled(canUndo);
  MainMenuEditRedo->setVisible(!canUndo && canRedo);
  MainMenuEditRedo->setEnabled(!canUndo && canRedo);
  // The tool buttons stay visible whichever command the menu offers.
  ToolButtonUndo->setVisible(true);
  ToolButtonRedo->setVisible(true);
}

void TFormMain::CheckClipboardState() {
  if (Edit->isReadOnly()) {
    return;
  }
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  MainMenuEditPaste->setEnabled(data != nullptr && data->hasText());
}

// ---- View

void TFormMain::SetWordWrap(bool value) {
  const bool current = Edit->lineWrapMode() != QPlainTextEdit::NoWrap;
  if (value == current) {
    return;
  }
  const int start = Edit->SelStart();
  const int length = Edit->SelLength();
  MainmenuViewLinebreak->setChecked(value);
  Edit->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  Edit->SetSelection(start, length);
}

void TFormMain::SetToolbarVisible(bool value) {
  if (ToolBar1->isVisibleTo(this) != value || MainmenuViewSymbolbar->isChecked() != value) {
    ToolBar1->setVisible(value);
    MainmenuViewSymbolbar->setChecked(value);
  }
}

void TFormMain::SetStatusbarVisible(bool value) {
  if (StatusBar1->isVisibleTo(this) != value || MainmenuViewStatusbar->isChecked() != value) {
    StatusBar1->setVisible(value);
    MainmenuViewStatusbar->setChecked(value);
  }
}

void TFormMain::SetEditorFont(const QFont& font) {
  Edit->setFont(font);
}

void TFormMain::MainmenuViewLinebreakClick() {
  SetWordWrap(Edit->lineWrapMode() == QPlainTextEdit::NoWrap);
}

void TFormMain::MainmenuViewSymbolbarClick() {
  SetToolbarVisible(!ToolBar1->isVisibleTo(this));
}

void TFormMain::MainmenuViewStatusbarClick() {
  SetStatusbarVisible(!StatusBar1->isVisibleTo(this));
}

void TFormMain::MainmenuViewFontClick() {
  if (const auto font = dialogs_->ChooseFont(Edit->font())) {
    SetEditorFont(*font);
  }
}

void TFormMain::MainmenuViewLanguageClick() {
  if (extras_.Language && extras_.Language(*this)) {
    dialogs_->Message(CapUiText(textid::kLanguageChanged, "."));
  }
}

// ---- Extras and about

void TFormMain::MainmenuExtrasContextmenuClick() {
  if (FormContextmenu == nullptr) {
    FormChooseExt = new TFormChooseExt(this);
    FormContextmenu = new TFormContextmenu(*FormChooseExt, this);
    connect(FormContextmenu, &TFormContextmenu::HelpRequested, this, &TFormMain::DialogHelpClick);
  }
  EditContextMenu(*FormContextmenu);
}

void TFormMain::MainmenuExtrasTaglistClick() {
  if (extras_.TagList) {
    extras_.TagList(*this);
  }
}

void TFormMain::MainmenuExtrasOptionsClick() {
  if (extras_.Options) {
    extras_.Options(*this);
  }
}

void TFormMain::MainMenuHelpAboutClick() {
  dialogs_->Message(
      QString("%1 %2.%3").arg(kApplicationTitle).arg(kVersionMajor).arg(kVersionMinor));
}

// ---- Placement

TWindowPlacement TFormMain::Placement() const {
  const QRect rect = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  TWindowPlacement placement;
  placement.State = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
  placement.Left = rect.left();
  placement.Top = rect.top();
  placement.Right = rect.left() + rect.width();
  placement.Bottom = rect.top() + rect.height();
  return placement;
}

void TFormMain::SetNormalRect(const TWindowPlacement& rect) {
  const int width = rect.Right - rect.Left;
  const int height = rect.Bottom - rect.Top;
  if (width < 100 || height < 100) {
    return;
  }
  QRect wanted(rect.Left, rect.Top, width, height);
  // A window placed on a screen that is no longer there comes back on the primary one.
  if (QGuiApplication::screenAt(wanted.center()) == nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      wanted.moveCenter(screen->availableGeometry().center());
    }
  }
  setGeometry(wanted);
}

void TFormMain::SetWindowState(int32_t state) {
  // A window that was closed minimized opens normally: starting hidden would only puzzle.
  setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TFormMain::CenterOnScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  }
}

}  // namespace quorvane
