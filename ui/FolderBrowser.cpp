#include "ui/FolderBrowser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "batch/UiText.h"
#include "platform/FileAttributes.h"

namespace quorvane {

std::string WithoutTrailingSlash(const std::string& path) {
  if (path.size() > 1 && path.back() == '/') {
    return path.substr(0, path.size() - 1);
  }
  return path;
}

// The dialog is Qt's own (not the desktop's) so that the caller can reach its OK button and
// add the status line.
TFolderBrowser::TFolderBrowser(QWidget* parent, const std::string& title, uint32_t flags,
                               TBrowseCallback callback)
    : QFileDialog(parent, UiText(title)), callback_(std::move(callback)) {
  setObjectName("FolderBrowser");
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::ShowDirsOnly, true);
  setFileMode(QFileDialog::Directory);
  setAcceptMode(QFileDialog::AcceptOpen);
  if ((flags & BIF_STATUSTEXT) != 0) {
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName("StatusLine");
    statusLine_->setWordWrap(true);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
      grid->addWidget(statusLine_, grid->rowCount(), 0, 1, grid->columnCount());
    }
  }
  connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) {
    Notify(TBrowseEvent::SelectionChanged,
           FilePath(path.isEmpty() ? directory().absolutePath() : path));
  });
  connect(this, &QFileDialog::directoryEntered, this,
          [this](const QString& path) { Notify(TBrowseEvent::SelectionChanged, FilePath(path)); });
}

void TFolderBrowser::Initialize() {
  Notify(TBrowseEvent::Initialized, std::string());
  Notify(TBrowseEvent::SelectionChanged, SelectedPath());
}

void TFolderBrowser::Notify(TBrowseEvent event, const std::string& path) {
  if (callback_) {
    callback_(*this, event, path);
  }
}

void TFolderBrowser::SetSelection(const std::string& path) {
  if (DirectoryExists(path)) {
    setDirectory(PathText(path));
  }
}

void TFolderBrowser::SetStatusText(const std::string& text) {
  if (statusLine_ != nullptr) {
    statusLine_->setText(UiText(text));
  }
}

QString TFolderBrowser::StatusLineText() const {
  return statusLine_ != nullptr ? statusLine_->text() : QString();
}

void TFolderBrowser::EnableOk(bool enabled) {
  okEnabled_ = enabled;
  ApplyOkButton();
  // The dialog re-enables its button itself after a change; ours is the last word.
  QTimer::singleShot(0, this, &TFolderBrowser::ApplyOkButton);
}

void TFolderBrowser::ApplyOkButton() {
  if (auto* buttons = findChild<QDialogButtonBox*>()) {
    if (QPushButton* open = buttons->button(QDialogButtonBox::Open)) {
      open->setEnabled(okEnabled_);
    }
  }
}

std::string TFolderBrowser::SelectedPath() const {
  const QStringList files = selectedFiles();
  return FilePath(files.isEmpty() ? directory().absolutePath() : files.front());
}

void TFolderBrowser::accept() {
  if (!okEnabled_ || !DirectoryExists(SelectedPath())) {
    QApplication::beep();
    return;
  }
  QFileDialog::accept();
}

std::string BrowseForFolder(int, const std::string& title, const std::string& initialDir,
                            uint32_t flags, TBrowseCallback callback) {
  if (flags == 0) {
    flags = BIF_RETURNONLYFSDIRS;
  }
  if (!callback) {
    callback = [initialDir](TFolderBrowser& browser, TBrowseEvent event, const std::string&) {
      if (event == TBrowseEvent::Initialized) {
        browser.SetSelection(WithoutTrailingSlash(initialDir));
      }
    };
  }
  TFolderBrowser browser(QApplication::activeWindow(), title, flags, std::move(callback));
  browser.Initialize();
  if (browser.exec() != QDialog::Accepted) {
    return std::string();
  }
  const std::string path = browser.SelectedPath();
  return DirectoryExists(path) ? path : std::string();
}

TFolderBrowserRunner DefaultFolderBrowser() {
  return [](const std::string& title, const std::string& initialDir, uint32_t flags,
            TBrowseCallback callback) {
    return BrowseForFolder(0, title, initialDir, flags, std::move(callback));
  };
}

}  // namespace quorvane
