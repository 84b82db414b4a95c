#pragma once

#include <string>
#include <vector>

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QShowEvent;

namespace quorvane {

// The extension chooser: every known file extension; choosing one selects the document type
// that owns it in the context-menu dialog.
class TExtensionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TExtensionDialog(QWidget* parent = nullptr);

  // The lines of the list, extensions without dots.
  void SetExtensions(const std::vector<std::string>& extensions);
  // The selected line; empty when none is selected.
  std::string ChosenExtension() const;

  void CheckButtons();
  void ListBoxExtsDblClick();

  QLabel* LabelExt;
  QListWidget* ListBoxExts;
  QWidget* Panel1;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace quorvane
