#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "ui/FolderBrowser.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace quorvane {

// The directory chooser: a directory field with a browse button; the caller's check decides,
// while the user browses, which folders may be chosen and what the status line says.
class TDirectoryDialog : public QDialog {
  Q_OBJECT

 public:
  // Takes a path and updates the status text and the ok flag.
  using TCheckDir = std::function<void(const std::string& path, std::string& status, bool& ok)>;

  explicit TDirectoryDialog(QWidget* parent = nullptr);

  // The directory, file system bytes; GetDir without blanks and control characters at either
  // end.
  void SetDir(const std::string& dir);
  std::string GetDir() const;

  void SetFolderBrowser(TFolderBrowserRunner browse) { browse_ = std::move(browse); }

  TCheckDir OnCheckDir;
  std::string StatusText;  // Windows-1252, the folder browser's status line
  std::string BrowseTitle;
  bool StatusOk = true;

  void CheckOk();
  void ButtonBrowseClick();
  void BrowseCallback(TFolderBrowser& browser, TBrowseEvent event, const std::string& path);

  QLabel* LabelDirectory;
  QLineEdit* EditDir;
  QPushButton* ButtonBrowse;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateComponents();
  void ApplyTexts();

  TFolderBrowserRunner browse_;
};

}  // namespace quorvane
