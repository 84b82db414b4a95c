#pragma once

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/ApplicationReg.h"
#include "batch/Document.h"
#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "platform/FileAttributes.h"
#include "platform/PreviewFile.h"
#include "ui/UserDialogs.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QStatusBar;

namespace quorvane {

class TFindReplaceDialog;
class TFormChooseExt;
class TFormContextmenu;
class TMenuHistoryFiles;
class TRichEditEx;

// A file command that failed; its text is shown in the application's error box and only that
// command is abandoned.
class TEditorError : public std::runtime_error {
 public:
  explicit TEditorError(const QString& text)
      : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

// The editor window: one HTML document in a plain-text editor, with its file, editing, search,
// compression, view, preview and help commands. It owns the document (TDocument) and lends it
// its editor, so that the compression run works on the editor's text.
class TFormMain : public QMainWindow, public IEditorHost, public IPlacedWindow {
  Q_OBJECT

 public:
  // The commands whose dialogs live elsewhere. Each gets the window; the language command
  // returns whether the user chose another language (after storing it with SetLanguageFiles).
  struct TExtrasCommands {
    std::function<void(TFormMain&)> TagList;
    std::function<void(TFormMain&)> Options;
    std::function<bool(TFormMain&)> Language;
  };

  // The application title, first in the window's caption.
  static constexpr char kApplicationTitle[] = "Quorvane";

  // `chooseLanguage` asks for a language at a first start (no language stored).
  explicit TFormMain(const TLanguageChooser& chooseLanguage = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  // Services that tests replace.
  void SetUserDialogs(std::unique_ptr<IUserDialogs> dialogs);
  void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
  // Runs while the finished progress window of an editor compression waits to be closed.
  void SetProgressWaiter(std::function<void()> wait) { progressWaiter_ = std::move(wait); }
  void SetExtrasCommands(TExtrasCommands commands) { extras_ = std::move(commands); }

  // The document and the settings it carries (TagList, Waittime, HelpDir, HelpDirAuto).
  TDocument& Document() { return document_; }
  TWindowSettings& WindowSettings() { return settings_; }
  TRichEditEx* Editor() const { return Edit; }
  const std::string& FileName() const { return document_.FileName(); }

  bool GetModified() const;
  void SetModified(bool value);
  bool Compress(const std::string& fileName, bool keepDate);
  // These raise TEditorError on failure (after restoring the cursor).
  void LoadFile(const std::string& name);
  int SaveFile(const std::string& name);
  void SetFileName(const std::string& name);
  void UpdateTitle();
  void CheckClipboardState();

  // Help and preview.
  std::string HelpDirectory() const;
  std::string HelpFileName() const;
  void SetHelpDir(const std::string& dir);
  // Opens a local file in the program the desktop associates with it; false after the error
  // message.
  bool OpenInBrowser(const std::string& path, const std::string& anchor);
  std::string PreviewFile();
  void SetPreviewFileName(const std::string& name);
  const std::string& PreviewFileName() const { return preview_.Path(); }
  bool PreviewOutdated() const { return previewOutdated_; }
  // The help buttons of the dialogs: 122 opens the context-menu chapter, 123 the tag
  // definitions, any other number the page's top.
  void DialogHelpClick(int helpContext);
  static constexpr int kHelpContextContextMenu = 122;
  static constexpr int kHelpContextTagDefinition = 123;

  // The language and country files saved at exit for the next start.
  void SetLanguageFiles(const std::string& country, const std::string& language);

  // View settings.
  void SetWordWrap(bool value);
  void SetToolbarVisible(bool value);
  void SetStatusbarVisible(bool value);
  void SetEditorFont(const QFont& font);

  // IEditorHost
  std::string EditorText() override;
  void SetEditorText(const std::string& text) override;
  bool EditorModified() const override;
  void SetEditorModified(bool value) override;
  void* OwnerWindow() override { return static_cast<QWidget*>(this); }
  void WaitUntilProgressClosed() override;

  // IPlacedWindow
  std::string ComponentName() const override { return "FormMain"; }
  TWindowPlacement Placement() const override;
  void SetNormalRect(const TWindowPlacement& rect) override;
  void SetWindowState(int32_t state) override;
  void CenterOnScreen() override;

  // Command handlers, named after their components.
  void MainmenuFileNewClick();
  void MainmenuFileOpenClick();
  void MainmenuFileCompressClick();
  int MainmenuFileSaveasClick();
  void HistoryFileClick(const std::string& path);
  void MainMenuEditUndoClick();
  void MainMenuEditRedoClick();
  void MainMenuEditCutClick();
  void MainMenuEditCopyClick();
  void MainMenuEditPasteClick();
  void MainMenuEditDeleteClick();
  void MainMenuEditSelectallClick();
  void MainMenuSearchSearchClick(QObject* sender);
  void MainMenuSearchSearchmoreClick();
  void MainMenuSearchReplacemoreClick();
  void FindReplaceDialogShow(TFindReplaceDialog* dialog);
  void FindReplaceDialogFindEvent(TFindReplaceDialog* dialog);
  void ReplaceDialog1Replace();
  void MainmenuViewLinebreakClick();
  void MainmenuViewSymbolbarClick();
  void MainmenuViewStatusbarClick();
  void MainmenuViewFontClick();
  void MainmenuViewLanguageClick();
  void MainmenuViewWithbrowserClick();
  void MainmenuExtrasContextmenuClick();
  void MainmenuExtrasTaglistClick();
  void MainmenuExtrasOptionsClick();
  void MainMenuHelpHelpwithbrowserClick();
  void MainMenuHelpAboutClick();
  void FormActivate();

  // One search step with the dialog's text and options: selects the next match after the
  // selection. Returns whether it found one.
  bool SearchText(TFindReplaceDialog* dialog);
  TFindReplaceDialog* FindDialog() const { return FindDialog1; }
  TFindReplaceDialog* ReplaceDialog() const { return ReplaceDialog1; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct TCommandText {
    std::vector<QAction*> Items;
    QAction* Tool;
    uint32_t Id;
    bool Ellipsis;
  };

  void FormCreate(const TLanguageChooser& chooseLanguage);
  void FormDestroy();
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateSearchDialogs();
  void ApplyTexts();
  void AssignMenuAccelerators();
  void ApplyWindowSettings();
  void StoreWindowSettings();
  QAction* NewAction(const char* name, const char* caption,
                     QKeyCombination shortcut = QKeyCombination(Qt::Key_unknown));
  QAction* NewToolAction(const char* name, QAction* item, const QIcon& icon);
  QAction* NewPopupAction(const char* name, QAction* item);
  void LinkAction(QAction* item, QAction* other, bool withVisibility);
  void ConnectCommand(QAction* action, void (TFormMain::*handler)());

  // Runs a command; a TEditorError it raises ends up in the error box.
  void RunCommand(const std::function<void()>& command);
  bool CanDiscard();
  bool AskSaveChanges();
  QString FileFilter() const;
  QString DocumentName() const;

  void EditChanged();
  void EditSelectionChange();
  void EditModifiedChanged(bool modified);
  void EditOverwriteChanged(bool overwrite);
  void UpdateUndoRedo();
  void UpdateDeleteCommand();
  int WriteDocument(const std::string& name, bool durable);
  void SearchOrReport(TFindReplaceDialog* dialog);
  bool SelectionMatches(TFindReplaceDialog* dialog) const;
  void ReplaceAllMatches();
  void OpenSearchDialog(TFindReplaceDialog* dialog);
  std::optional<TFileTime> FileAge(const std::string& name) const;

  TDocument document_;
  TWindowSettings settings_;
  std::unique_ptr<IUserDialogs> dialogs_;
  std::function<bool(const QUrl&)> openUrl_;
  std::function<void()> progressWaiter_;
  TExtrasCommands extras_;
  TMenuHistoryFiles* HistoryFiles = nullptr;
  std::optional<TFileTime> WatchedFileAge;  // nothing: the file is not watched
  TPreviewFile preview_;
  bool previewOutdated_ = false;
  bool creating_ = true;
  bool activating_ = false;
  bool compressing_ = false;
  std::vector<TCommandText> commandTexts_;

 public:
  // Components, named as in the form.
  TRichEditEx* Edit = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  std::vector<QLabel*> StatusPanels;
  TFindReplaceDialog* FindDialog1 = nullptr;
  TFindReplaceDialog* ReplaceDialog1 = nullptr;
  TFormContextmenu* FormContextmenu = nullptr;  // created on first use
  TFormChooseExt* FormChooseExt = nullptr;
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
  QAction* MainMenuSearchReplace = nullptr;
  QAction* MainMenuSearchReplacemore = nullptr;
  QAction* MainmenuViewLanguage = nullptr;
  QAction* MainmenuViewFont = nullptr;
  QAction* MainmenuViewLinebreak = nullptr;
  QAction* MainmenuViewSymbolbar = nullptr;
  QAction* MainmenuViewStatusbar = nullptr;
  QAction* MainmenuViewWithbrowser = nullptr;
  QAction* MainmenuExtrasContextmenu = nullptr;
  QAction* MainmenuExtrasTaglist = nullptr;
  QAction* MainmenuExtrasOptions = nullptr;
  QAction* MainMenuHelpHelpwithbrowser = nullptr;
  QAction* MainMenuHelpAbout = nullptr;
  QAction* PopupMenuEditUndo = nullptr;
  QAction* PopupMenuEditRedo = nullptr;
  QAction* PopupMenuEditCut = nullptr;
  QAction* PopupMenuEditPaste = nullptr;
  QAction* PopupMenuEditCopy = nullptr;
  QAction* PopupMenuEditDelete = nullptr;
  QAction* PopupMenuEditCompress = nullptr;
  QAction* ToolButtonNew = nullptr;
  QAction* ToolButtonOpen = nullptr;
  QAction* ToolButtonSaveas = nullptr;
  QAction* ToolButtonCompress = nullptr;
  QAction* ToolButtonCopy = nullptr;
  QAction* ToolButtonPaste = nullptr;
  QAction* ToolButtonCut = nullptr;
  QAction* ToolButtonUndo = nullptr;
  QAction* ToolButtonRedo = nullptr;
  QAction* ToolButtonSearch = nullptr;
  QAction* ToolButtonSearchContinue = nullptr;
};

}  // namespace quorvane
