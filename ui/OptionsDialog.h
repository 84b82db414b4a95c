#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "ui/FolderBrowser.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QSpinBox;

namespace quorvane {

// The options dialog: where the HTML help lives, how long a finished batch file stays on
// screen, and whether code blocks, text areas, scripts and styles are left unchanged.
class TOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TOptionsDialog(QWidget* parent = nullptr);

  void SetWaittime(int32_t value);
  int32_t GetWaittime() const;
  void SetHelpDirAuto(bool value);
  bool GetHelpDirAuto() const;
  // The chosen directory: file system bytes, as the edit field holds it.
  void SetHelpDir(const std::string& dir);
  std::string GetHelpDir() const;

  // Strict: only "<PRE>" blocks are left unchanged (the check box is clear).
  void SetStrictPre(bool value);
  bool GetStrictPre() const;

  void SetFolderBrowser(TFolderBrowserRunner browse) { browse_ = std::move(browse); }

  void CheckButtons();
  void HTMLHelpDirAutoChanged();
  void RadioButtonHTMLHelpDirUserClick();
  void EditHTMLHelpDirEnter();
  void ButtonBrowseClick();
  // The folder browser's events while it was opened from this dialog.
  void BrowseCallback(TFolderBrowser& browser, TBrowseEvent event, const std::string& path);

  QGroupBox* GroupBoxHTMLHelpDir;
  QRadioButton* RadioButtonHTMLHelpDirAuto;
  QRadioButton* RadioButtonHTMLHelpDirUser;
  QLineEdit* EditHTMLHelpDir;
  QPushButton* ButtonBrowse;
  QSpinBox* SpinEditWaittime;
  QLabel* LabelSpinEditWaittime;
  QCheckBox* CheckBoxProtectCodeElements;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateComponents();
  void ApplyTexts();

  TFolderBrowserRunner browse_;
};

// The options as the main window keeps them.
struct TOptionsValues {
  int32_t Waittime = 1000;
  bool HelpDirAuto = true;
  std::string HelpDir;  // only read and written while HelpDirAuto is false
  bool StrictPre = false;
};

// The main window's road: the dialog shows `values`; after OK they take the user's choice
// (HelpDir only when the choice is not automatic) and the result is true.
bool EditOptions(TOptionsDialog& form, TOptionsValues& values);

}  // namespace quorvane
