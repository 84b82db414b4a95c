#pragma once

#include <string>
#include <vector>

#include "shell/FileTypes.h"
#include "ui/FormDialog.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QSplitter;

namespace quorvane {

class TDoctypeListBox;
class TExtensionDialog;

// The context-menu dialog: which document types carry the program's verb, and its caption.
// The lists are read anew each time it is shown; the choice is in ChosenClasses once it
// closed. Applying the choice is the caller's (EditContextMenu).
class TContextMenuDialog : public TFormDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 122;

  explicit TContextMenuDialog(TExtensionDialog& chooser, QWidget* parent = nullptr);
  ~TContextMenuDialog() override;

  // The caption, Windows-1252 text, without white space at either end.
  void SetCaptionText(const std::string& text);
  std::string GetCaptionText() const;
  // The document types of the assigned list when the dialog last closed, sorted, each once.
  const std::vector<std::string>& ChosenClasses() const { return chosenClasses_; }

  // The document type of a line of either list.
  const TFileTypeItem* TypeOf(const QListWidgetItem* item) const;

  void FormShow() override;
  void FormHide() override;
  void CheckButtons();
  void ListBoxDoctypesClick(QListWidget* list);
  void ListBoxDoctypesDblClick(QListWidget* list);
  // `sender` ButtonAdd, PopupMenuAdd or ListBoxDoctypesAvail adds, anything else removes.
  void ButtonAddRemoveClick(QObject* sender);
  void ButtonSearchExtClick();
  bool ListBoxDragOver(QObject* source, QObject* target) const;
  void ListBoxDragDrop(QObject* source);

  QSplitter* Splitter1;
  QWidget* PanelDoctypesAvail;
  QLabel* LabelDoctypesAvail;
  TDoctypeListBox* ListBoxDoctypesAvail;
  QPushButton* ButtonAdd;
  QWidget* PanelDoctypesAssigned;
  QLabel* LabelDoctypesAssigned;
  TDoctypeListBox* ListBoxDoctypesAssigned;
  QPushButton* ButtonRemove;
  QWidget* Panel4;
  QLabel* LabelAssignedExtensions;
  QLineEdit* EditExt;
  QPushButton* ButtonSearchExt;
  QLabel* LabelEditContextmenuName;
  QLineEdit* EditContextmenuCaption;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
  QPushButton* ButtonHelp;
  QMenu* PopupMenuDoctypesAvail;
  QAction* PopupMenuAdd;
  QAction* PopupMenuSearchExt1;
  QMenu* PopupMenuDoctypesAssigned;
  QAction* PopupMenuRemove;
  QAction* PopupMenuSearchExt2;

 signals:
  // The help button: the main window opens the help topic of `helpContext`.
  void HelpRequested(int helpContext);

 private:
  void CreateComponents();
  void ApplyTexts();
  void Connect();
  void MoveSelected(TDoctypeListBox* source, TDoctypeListBox* destination);
  bool SelectType(TDoctypeListBox* list, const std::string& name);

  TExtensionDialog& chooser_;
  std::vector<TFileTypeItem> types_;
  std::vector<std::string> chosenClasses_;
};

}  // namespace quorvane
