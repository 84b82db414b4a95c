#pragma once

// The editor without widgets: the document and its file commands, the questions before
// changes are dropped, the reload check, the preview in the browser and the help pages. The
// window shows it and forwards its commands to it.
//
// Failures: every failure is shown through the program's messages (IMessages) when it happens,
// and the command that met it returns false and leaves the document as it was. Nothing here
// throws.
#include <QString>
#include <QUrl>
#include <optional>
#include <string>

#include "batch/Document.h"
#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "batch/Messages.h"
#include "batch/SettingsStore.h"
#include "batch/WindowHandle.h"
#include "platform/FileAttributes.h"
#include "platform/PreviewFile.h"

namespace quorvane {

// What the session needs of the window that shows the document.
class IEditorView {
 public:
  virtual ~IEditorView() = default;
  // The document's bytes as the editor holds them, and new ones for it; `undoable` keeps the
  // change in the editor's undo history, otherwise the history starts afresh.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& bytes, bool undoable) = 0;
  virtual bool Modified() const = 0;
  virtual void SetModified(bool value) = 0;
  virtual void ShowTitle(const QString& title) = 0;
  // The recently used files changed.
  virtual void ShowHistory() = 0;
  // Long file work begins and ends (the hourglass).
  virtual void SetBusy(bool busy) = 0;
  // The standard file dialogs: the chosen file, or nothing when cancelled.
  virtual std::optional<QString> ChooseFileToOpen(const QString& filter) = 0;
  virtual std::optional<QString> ChooseFileToSave(const QString& filter,
                                                  const QString& current) = 0;
  // Opens `url` in the desktop's program for it; false when that failed.
  virtual bool OpenUrl(const QUrl& url) = 0;
  // The window the progress window disables while a compression runs.
  virtual TWindowHandle Window() = 0;
  // Handles events until the user has closed the finished progress window.
  virtual void WaitUntilProgressClosed() = 0;
  // The last compression's change came or went (see TEditorSession::LastCompression).
  virtual void ShowLastCompression() = 0;
};

// The editor's text before and after a compression, as bytes.
struct TCompressedChange {
  std::string Before;
  std::string After;
};

class TEditorSession : private IEditorHost {
 public:
  static constexpr char kApplicationTitle[] = "Quorvane";
  // The help buttons of the dialogs: 122 opens the context-menu chapter, 123 the tag
  // definitions, any other number the page's top.
  static constexpr int kHelpContextContextMenu = 122;
  static constexpr int kHelpContextTagDefinition = 123;

  // `messages` answers the questions and shows the messages; nothing: the program's messages.
  TEditorSession(IEditorView& view, TSettingsStore& store, IMessages* messages = nullptr);
  ~TEditorSession() override;
  TEditorSession(const TEditorSession&) = delete;
  TEditorSession& operator=(const TEditorSession&) = delete;

  // The questions and messages of the session and of its window.
  IMessages& Messages() const;

  // Loads the settings and the language; at a first start `chooseLanguage` picks one.
  void Start(const TLanguageChooser& chooseLanguage);
  // Saves the settings (and with them the placement of the store's window) and deletes the
  // preview file.
  void Finish();

  TDocument& Document() { return document_; }
  TWindowSettings& Settings() { return settings_; }
  const std::string& FileName() const { return document_.FileName(); }
  // The name in the title: the path, or "[Unnamed]" in the language of the texts.
  QString DocumentName() const;
  QString Title() const;
  // The open and save dialogs' filter, "Description (*.htm *.html)".
  QString FileFilter() const;
  bool Modified() const { return view_.Modified(); }
  void SetModified(bool value);
  // The language and country files saved at exit for the next start.
  void SetLanguageFiles(const std::string& country, const std::string& language);

  // The file commands: false when nothing happened (declined, cancelled, or failed after the
  // message).
  bool New();
  bool Open();
  // Save writes to the document's own name, or asks for one as Save as does when it has none.
  bool Save();
  bool SaveAs();
  bool OpenRecent(const std::string& path);
  bool LoadFile(const std::string& name);
  bool SaveFile(const std::string& name);
  // Opens a file named on the command line, relative to the working directory.
  bool OpenGivenFile(const std::string& argument);
  // Whether the window may close now: a modified document is only dropped after the question.
  bool MayClose();
  // When the file changed on disk since it was loaded or saved, asks whether to reload it; a
  // No stops the watching until the next load or save.
  void CheckReload();
  // Every change of the editor's text.
  void TextChanged() { previewOutdated_ = true; }
  // Compresses the editor's text; false when the run was cancelled or is already running.
  bool Compress();
  bool Compressing() const { return compressing_; }
  // What the last compression of this document changed; nothing after a new document came.
  const std::optional<TCompressedChange>& LastCompression() const { return lastCompression_; }

  // Preview and help in the browser.
  bool Preview();
  std::string HelpDirectory() const;
  std::string HelpFileName() const;
  void SetHelpDir(const std::string& dir);
  bool Help() { return OpenInBrowser(HelpFileName(), {}); }
  bool DialogHelp(int helpContext);
  // Opens a local file in the program the desktop associates with it; false after the error
  // message.
  bool OpenInBrowser(const std::string& path, const std::string& anchor);
  // The preview file's name, made anew (an empty file with the document's permission bits)
  // unless the name still names the file made before.
  std::optional<std::string> PreviewFile();
  void SetPreviewFileName(const std::string& name);
  const std::string& PreviewFileName() const { return preview_.Path(); }
  bool PreviewOutdated() const { return previewOutdated_; }

 private:
  // IEditorHost
  std::string EditorText() override { return view_.Text(); }
  void SetEditorText(const std::string& text) override { view_.SetText(text, true); }
  bool EditorModified() const override { return view_.Modified(); }
  void SetEditorModified(bool value) override { view_.SetModified(value); }
  TWindowHandle OwnerWindow() override { return view_.Window(); }
  void WaitUntilProgressClosed() override { view_.WaitUntilProgressClosed(); }
  void TextCompressed(const std::string& before, const std::string& after) override;
  void ForgetLastCompression();

  bool CanDiscard();
  bool AskSaveChanges();
  // Saves the text under `name`, flushed to disk before it replaces the file.
  bool WriteDocument(const std::string& name);
  void NameChanged();

  IEditorView& view_;
  TSettingsStore& store_;
  IMessages* messages_;
  TDocument document_;
  TWindowSettings settings_;
  std::optional<TFileTime> watchedFileAge_;  // nothing: the file is not watched
  TPreviewFile preview_;
  bool previewOutdated_ = false;
  bool askingReload_ = false;
  bool compressing_ = false;
  std::optional<TCompressedChange> lastCompression_;
};

}  // namespace quorvane
