#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/TagsCommaList.h"
#include "ui/FormDialog.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidgetItem;

namespace quorvane {

class TTagItemDialog;
class TTagListView;

// The tag list dialog: the tag definitions around which white space is removed, with their
// counts. The user adds, edits, deletes, sorts and goes back to the built-in list; the caller
// fills the list view and takes it back after OK (EditTagList).
class TTagListDialog : public TFormDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 123;

  explicit TTagListDialog(QWidget* parent = nullptr);
  ~TTagListDialog() override;

  // How the item dialog is shown modally; tests answer it instead of a user.
  using TItemDialogRunner = std::function<int(TTagItemDialog&)>;
  void SetItemDialogRunner(TItemDialogRunner runner) { runItemDialog_ = std::move(runner); }

  TTagItemDialog& ItemDialog() { return *FormTagItem; }

  // The list view takes `list` (as one update); Tags gives the list view's entries.
  void LoadTags(const TTagsCommaList& list);
  TTagsCommaList Tags() const;

  void BeginListUpdate();
  void EndListUpdate();
  void ListChanged();
  void SelectionChanged();
  void AllSelect(bool selected);
  // Runs the item dialog on `name` and `count` until the input is valid or the user cancels;
  // true when something changed. `edited` is the row being edited (nullptr for a new one): a
  // name may stay its own in any letter case.
  bool EditTagItem(std::string& name, uint32_t& count, uint32_t captionId,
                   const QTreeWidgetItem* edited = nullptr);

  void ButtonNewClick();
  void ButtonEditClick();
  void ButtonDeleteClick();
  void ButtonResetClick();
  void ListViewTagsColumnClick(int column);
  void FormShow() override;
  void FormHide() override;

  QLabel* LabelListBoxTags;
  TTagListView* ListViewTags;
  QWidget* PanelEditbuttons;
  QPushButton* ButtonNew;
  QPushButton* ButtonEdit;
  QPushButton* ButtonDelete;
  QPushButton* ButtonReset;
  QWidget* PanelControlButtons;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  QPushButton* ButtonHelp;
  QMenu* PopupMenuTagList;
  QAction* PopupMenuTagListNew;
  QAction* PopupMenuTagListEdit;
  QAction* PopupMenuTagListDelete;
  QAction* N1;
  QAction* PopupMenuTagListSelectall;
  TTagItemDialog* FormTagItem;

 signals:
  // The help buttons of both dialogs: the main window opens the help topic of `helpContext`.
  void HelpRequested(int helpContext);

 private:
  void CreateComponents();
  void ApplyTexts();
  void Connect();
  void SetMinimumTrackSize();
  const TTagsCommaList& DefaultList();
  QTreeWidgetItem* FirstSelected() const;
  QTreeWidgetItem* FindCaption(const std::string& name, const QTreeWidgetItem* except) const;

  std::unique_ptr<TTagsCommaList> defaultList_;
  std::unique_ptr<TTagsCommaList> currentList_;
  int UpdateCount = 0;
  TItemDialogRunner runItemDialog_;
};

// The main window's road: the dialog shows `list`; after OK `list` takes the edited entries
// and the result is true. Cancel leaves `list` as it was.
bool EditTagList(TTagListDialog& form, TTagsCommaList& list);

}  // namespace quorvane
