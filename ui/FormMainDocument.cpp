// The main window's document: its file commands, the questions before changes are dropped,
// the reload question, and the editor as the compression run sees it.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QScopeGuard>

#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "support/TextIds.h"
#include "ui/FormMain.h"
#include "ui/MenuHistoryFiles.h"
#include "ui/ProgressForm.h"
#include "ui/RichEditEx.h"
#include "ui/UiFormat.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"

namespace quorvane {

bool TFormMain::GetModified() const {
  return Edit != nullptr && Edit->Modified();
}

void TFormMain::SetModified(bool value) {
  if (GetModified() != value) {
    Edit->SetModified(value);
  }
}

bool TFormMain::EditorModified() const {
  return GetModified();
}

void TFormMain::SetEditorModified(bool value) {
  if (Edit != nullptr) {
    Edit->SetModified(value);
  }
}

std::string TFormMain::EditorText() {
  return Edit->DocumentBytes();
}

void TFormMain::SetEditorText(const std::string& text) {
  Edit->SetDocumentBytes(text, true);
}

void TFormMain::WaitUntilProgressClosed() {
  if (progressWaiter_) {
    progressWaiter_();
    return;
  }
  WaitUntilProgressWindowClosed();
}

bool TFormMain::Compress(const std::string& fileName, bool keepDate) {
  // The run lets events through; the progress window keeps the user from starting a second
  // run or typing into the text being compressed, and this guard holds even without one.
  if (compressing_) {
    return true;
  }
  compressing_ = true;
  const bool readOnly = Edit->isReadOnly();
  Edit->setReadOnly(true);
  const auto restore = qScopeGuard([&] {
    Edit->setReadOnly(readOnly);
    compressing_ = false;
    // The progress window had the keyboard, and the disabled window lost its focus: typing
    // goes on in the text.
    Edit->setFocus(Qt::OtherFocusReason);
  });
  return document_.Compress(fileName, keepDate);
}

void TFormMain::TextCompressed(const std::string& before, const std::string& after) {
  compressed_ = TCompressedChange{before, after, Edit->Encoding()};
  MainmenuViewChanges->setEnabled(true);
  StatusPanels[4]->setText(CompressionSummary(before.size(), after.size()));
}

void TFormMain::ForgetCompressedChange() {
  compressed_.reset();
  MainmenuViewChanges->setEnabled(false);
  StatusPanels[4]->clear();
}

void TFormMain::MainmenuFileCompressClick() {
  Compress(FileName(), false);
}

std::optional<TFileTime> TFormMain::FileAge(const std::string& name) const {
  return GetFileTime(name);
}

void TFormMain::LoadFile(const std::string& name) {
  TWaitCursor wait;
  // A write that an earlier run could not finish is undone before the file is shown.
  const TJournalRestore restore = RestoreFromJournal(name);
  if (restore.Status == TJournalRestore::TStatus::Failed) {
    throw TEditorError(FormattedUiText(textid::kFileNotRestored, ShownPathText(name)) + " " +
                       ShownPathText(restore.JournalPath) + ".");
  }
  if (restore.Status == TJournalRestore::TStatus::Restored) {
    dialogs_->Message(FormattedUiText(textid::kFileRestored, ShownPathText(name)));
  }
  std::string bytes;
  if (ReadWholeFile(name, bytes).Error != TFileError::None) {
    throw TEditorError(CapUiText(textid::kFileReadError));
  }
  Edit->SetDocumentBytes(bytes, false);
  ForgetCompressedChange();
  WatchedFileAge = FileAge(name);
  SetFileName(name);
  SetPreviewFileName({});
  SetModified(false);
}

void TFormMain::OpenFile(const std::string& name) {
  RunCommand([&] { LoadFile(name); });
}

int TFormMain::WriteDocument(const std::string& name, bool durable) {
  TWaitCursor wait;
  const TFileError error = WriteFileReplacing(name, Edit->DocumentBytes(), {durable});
  if (error == TFileError::AccessDenied) {
    throw TEditorError(FormattedUiText(textid::kFileWriteProtected, ShownPathText(name)));
  }
  if (error == TFileError::NoJournal) {
    throw TEditorError(FormattedUiText(textid::kFileNoJournal, ShownPathText(name)));
  }
  if (error != TFileError::None) {
    throw TEditorError(CapUiText(textid::kFileWriteError));
  }
  return 0;
}

int TFormMain::SaveFile(const std::string& name) {
  const int result = WriteDocument(name, true);
  if (result == 0) {
    SetModified(false);
    WatchedFileAge = FileAge(name);
    SetFileName(name);
  }
  return result;
}

void TFormMain::SetFileName(const std::string& name) {
  document_.SetFileName(name);
}

QString TFormMain::DocumentName() const {
  return FileName().empty() ? "[" + CapUiText(textid::kUnnamedDocument) + "]"
                            : PathText(FileName());
}

void TFormMain::UpdateTitle() {
  setWindowTitle(QString(kApplicationTitle) + " - " + DocumentName());
  SetPreviewFileName({});
  if (!FileName().empty()) {
    HistoryFiles->Add(FileName());
  }
}

QString TFormMain::FileFilter() const {
  // The language gives the filter as description and ";"-separated masks; the file dialog wants
  // the masks in the description's parentheses, separated by blanks.
  QString description = UiText(GetText(textid::kFilterDescription));
  const qsizetype open = description.indexOf('(');
  if (open >= 0) {
    description.truncate(open);
  }
  const QString masks = UiText(GetText(textid::kFilterMask)).replace(';', ' ').trimmed();
  return description.trimmed() + " (" + masks + ")";
}

bool TFormMain::AskSaveChanges() {
  const QString name = FileName().empty() ? UiText(GetText(textid::kSaveQuestionUnnamed))
                                          : "\"" + ShownPathText(FileName()) + "\"";
  switch (dialogs_->AskYesNoCancel(FormattedUiText(textid::kSaveQuestion, name) + "?")) {
    case IUserDialogs::TAnswer::Cancel:
      return false;
    case IUserDialogs::TAnswer::Yes:
      return MainmenuFileSaveClick() == 0;
    case IUserDialogs::TAnswer::No:
      return true;
  }
  return true;
}

bool TFormMain::CanDiscard() {
  return !GetModified() || AskSaveChanges();
}

void TFormMain::MainmenuFileNewClick() {
  if (CanDiscard()) {
    Edit->SetDocumentBytes({}, false);
    ForgetCompressedChange();
    SetFileName({});
    previewOutdated_ = false;
    SetModified(false);
  }
}

void TFormMain::MainmenuFileOpenClick() {
  if (!CanDiscard()) {
    return;
  }
  if (const auto name = dialogs_->OpenFileName(FileFilter())) {
    LoadFile(FilePath(*name));
  }
}

int TFormMain::MainmenuFileSaveClick() {
  return FileName().empty() ? MainmenuFileSaveasClick() : SaveFile(FileName());
}

int TFormMain::MainmenuFileSaveasClick() {
  const auto name = dialogs_->SaveFileName(FileFilter(), PathText(FileName()));
  if (!name) {
    return -1;
  }
  return SaveFile(FilePath(*name));
}

void TFormMain::HistoryFileClick(const std::string& path) {
  if (path == FileName() && !GetModified()) {
    return;
  }
  if (CanDiscard()) {
    LoadFile(path);
  }
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (compressing_) {
    event->ignore();
    return;
  }
  bool mayClose = !GetModified();
  if (!mayClose) {
    RunCommand([&] { mayClose = AskSaveChanges(); });
  }
  if (mayClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool TFormMain::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    // After the activation is done: the reload question is a window of its own.
    QMetaObject::invokeMethod(this, &TFormMain::FormActivate, Qt::QueuedConnection);
  }
  return QMainWindow::event(event);
}

void TFormMain::FormActivate() {
  CheckClipboardState();
  if (activating_ || !WatchedFileAge || FileName().empty() ||
      FileAge(FileName()) == WatchedFileAge) {
    return;
  }
  activating_ = true;
  const QString question = FormattedUiText(textid::kReloadQuestion, ShownPathText(FileName()));
  if (dialogs_->AskYesNo(question)) {
    bool loaded = false;
    RunCommand([&] {
      LoadFile(FileName());
      loaded = true;
    });
    // A file that cannot be read any more is not asked about again at every activation.
    if (!loaded) {
      WatchedFileAge.reset();
    }
  } else {
    WatchedFileAge.reset();
  }
  activating_ = false;
}

}  // namespace quorvane
