#pragma once

// The windows and dialogs. Failure: shown to the user in message boxes (through the program's
// messages) where it happens; a dialog returns whether the user confirmed it. Nothing here
// throws.

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <vector>

#include "batch/LanguageStartup.h"
#include "batch/SettingsStore.h"
#include "editor/EditorSession.h"
#include "ui/FileDialogs.h"
#include "ui/PlacedWindow.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QStatusBar;

namespace quorvane {

class TContextMenuDialog;
class TExtensionDialog;
class TEditorSearch;
class TMenuHistoryFiles;
class TSourceEdit;

// The editor window: menus, tool bar, status bar and the plain-text editor, wired to the
// editor session, which does the work. Its widgets carry the component names as objectNames.
class TMainWindow : public QMainWindow, private IEditorView {
  Q_OBJECT

 public:
  // The commands whose dialogs live elsewhere. Each gets the window; the language command
  // returns whether the user chose another language (after storing it in the session).
  struct TExtrasCommands {
    std::function<void(TMainWindow&)> TagList;
    std::function<void(TMainWindow&)> Options;
    std::function<bool(TMainWindow&)> Language;
  };

  // `chooseLanguage` asks for a language at a first start (no language stored); `store` keeps
  // the settings and the window's placement.
  explicit TMainWindow(const TLanguageChooser& chooseLanguage = {},
                       TSettingsStore& store = SettingsStore(), QWidget* parent = nullptr);
  ~TMainWindow() override;

  TEditorSession& Session() { return session_; }

  // Services that tests replace: the desktop's URL opener, and what runs while the finished
  // progress window of a compression waits to be closed.
  void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
  void SetProgressWaiter(std::function<void()> wait) { progressWaiter_ = std::move(wait); }
  void SetExtrasCommands(TExtrasCommands commands) { extras_ = std::move(commands); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct TCommand;

  // IEditorView
  std::string Text() const override;
  void SetText(const std::string& bytes, bool undoable) override;
  bool Modified() const override;
  void SetModified(bool value) override;
  void ShowTitle(const QString& title) override { setWindowTitle(title); }
  void ShowHistory() override;
  void SetBusy(bool busy) override;
  std::optional<QString> ChooseFileToOpen(const QString& filter) override {
    return quorvane::ChooseFileToOpen(this, filter);
  }
  std::optional<QString> ChooseFileToSave(const QString& filter, const QString& current) override {
    return quorvane::ChooseFileToSave(this, filter, current);
  }
  bool OpenUrl(const QUrl& url) override { return openUrl_(url); }
  TWindowHandle Window() override { return TWindowHandle(this); }
  void WaitUntilProgressClosed() override;
  void ShowLastCompression() override;

  static const std::vector<TCommand>& Commands();
  void CreateActions();
  void CreateMenus();
  void CreatePopupMenu();
  void CreateToolBar();
  void CreateStatusBar();
  void ConnectEditor();
  void ApplyTexts();
  void AssignMenuAccelerators();
  void ApplyWindowSettings();
  void StoreWindowSettings();
  QAction* NewMirror(const char* name, QAction* item, bool withVisibility);

  // Status and enabling.
  void EditChanged();
  void EditSelectionChange();
  void EditModifiedChanged(bool modified);
  void EditOverwriteChanged(bool overwrite);
  void UpdateUndoRedo();
  void UpdateDeleteCommand();
  void CheckClipboardState();
  void FormActivate();

  // Command handlers, named after their components.
  void MainmenuFileCompressClick();
  void MainMenuEditCutClick();
  void MainMenuEditCopyClick();
  void MainMenuEditDeleteClick();
  void MainmenuViewLinebreakClick();
  void MainmenuViewSymbolbarClick();
  void MainmenuViewStatusbarClick();
  void MainmenuViewFontClick();
  void MainmenuViewLanguageClick();
  void MainmenuExtrasContextmenuClick();
  void MainmenuExtrasTaglistClick();
  void MainmenuExtrasOptionsClick();
  void MainMenuHelpAboutClick();
  void SetWordWrap(bool value);
  void SetToolbarVisible(bool value);
  void SetStatusbarVisible(bool value);
  void SetHighlighting(bool value);

  TEditorSession session_;
  TSettingsStore& store_;
  TPlacedWindow placement_;
  std::function<bool(const QUrl&)> openUrl_;
  std::function<void()> progressWaiter_;
  TExtrasCommands extras_;
  bool creating_ = true;

  // Components, named as in the form.
  TSourceEdit* Edit = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  std::vector<QLabel*> StatusPanels;
  TMenuHistoryFiles* HistoryFiles = nullptr;
  TEditorSearch* search_ = nullptr;           // FindDialog1 and ReplaceDialog1
  TExtensionDialog* FormChooseExt = nullptr;  // both created on first use
  TContextMenuDialog* FormContextmenu = nullptr;
  QMenu* MainmenuFile = nullptr;
  QMenu* MainMenuEdit = nullptr;
  QMenu* MainMenuSearch = nullptr;
  QMenu* MainmenuView = nullptr;
  QMenu* MainmenuExtras = nullptr;
  QMenu* MainMenuHelp = nullptr;
  QMenu* PopupMenuEdit = nullptr;
  QAction* MainmenuFileNew = nullptr;
  QAction* MainmenuFileOpen = nullptr;
  QAction* MainmenuFileCompress = nullptr;
  QAction* MainmenuFileSave = nullptr;
  QAction* MainmenuFileSaveas = nullptr;
  QAction* MainmenuFileClose = nullptr;
  QAction* MainmenuFileBar1 = nullptr;
  QAction* MainmenuFileQuit = nullptr;
  QAction* MainMenuEditUndo = nullptr;
  QAction* MainMenuEditRedo = nullptr;
  QAction* MainMenuEditCut = nullptr;
  QAction* MainMenuEditPaste = nullptr;
  QAction* MainMenuEditCopy = nullptr;
  QAction* MainMenuEditDelete = nullptr;
  QAction* MainMenuEditSelectall = nullptr;
  QAction* MainMenuSearchSearch = nullptr;
  QAction* MainMenuSearchSearchmore = nullptr;
  QAction* MainMenuSearchSearchprevious = nullptr;
  QAction* MainMenuSearchReplace = nullptr;
  QAction* MainMenuSearchReplacemore = nullptr;
  QAction* MainmenuViewLanguage = nullptr;
  QAction* MainmenuViewFont = nullptr;
  QAction* MainmenuViewLargertext = nullptr;
  QAction* MainmenuViewSmallertext = nullptr;
  QAction* MainmenuViewNormaltext = nullptr;
  QAction* MainmenuViewHighlighting = nullptr;
  QAction* MainmenuViewLinebreak = nullptr;
  QAction* MainmenuViewSymbolbar = nullptr;
  QAction* MainmenuViewStatusbar = nullptr;
  QAction* MainmenuViewWithbrowser = nullptr;
  QAction* MainmenuViewChanges = nullptr;
  QAction* MainmenuExtrasContextmenu = nullptr;
  QAction* MainmenuExtrasTaglist = nullptr;
  QAction* MainmenuExtrasOptions = nullptr;
  QAction* MainMenuHelpHelpwithbrowser = nullptr;
  QAction* MainMenuHelpAbout = nullptr;
};

}  // namespace quorvane
