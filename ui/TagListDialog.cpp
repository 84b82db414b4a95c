#include "ui/TagListDialog.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "batch/Messages.h"
#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/TagItemDialog.h"
#include "ui/TagListView.h"

namespace quorvane {
namespace {

constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 27;

QPushButton* PlacedButton(QWidget* panel, const char* caption, int left, int top) {
  auto* button = new QPushButton(caption, panel);
  button->setGeometry(left, top, kButtonWidth, kButtonHeight);
  return button;
}

}  // namespace

TTagListDialog::TTagListDialog(QWidget* parent) : TFormDialog(parent) {
  setObjectName("Formtaglist");
  CreateComponents();
  ApplyTexts();
  Connect();
  runItemDialog_ = [](TTagItemDialog& dialog) { return dialog.exec(); };
  resize(355, 375);
  SetMinimumTrackSize();
}

TTagListDialog::~TTagListDialog() = default;

void TTagListDialog::CreateComponents() {
  LabelListBoxTags = new QLabel(UiText("Tags, deren umgebende wei\xDF"
                                       "e Zeichen gel\xF6scht werden"),
                                this);
  LabelListBoxTags->setWordWrap(true);
  ListViewTags = new TTagListView(this);
  ListViewTags->setHeaderLabels({"Name", "Maximal behandeln"});
  ListViewTags->setContextMenuPolicy(Qt::CustomContextMenu);

  PanelEditbuttons = new QWidget(this);
  PanelEditbuttons->setFixedWidth(110);
  ButtonNew = PlacedButton(PanelEditbuttons, "Neu", 10, 1);
  ButtonEdit = PlacedButton(PanelEditbuttons, "Bearbeiten", 10, 41);
  ButtonEdit->setEnabled(false);
  ButtonDelete = PlacedButton(PanelEditbuttons, "L\u00f6schen", 10, 82);
  ButtonDelete->setEnabled(false);
  ButtonReset = PlacedButton(PanelEditbuttons, "Reset", 10, 142);
  ButtonReset->setEnabled(false);

  PanelControlButtons = new QWidget(this);
  PanelControlButtons->setFixedHeight(46);
  ButtonOk = PlacedButton(PanelControlButtons, "Ok", 7, 14);
  ButtonOk->setDefault(true);
  ButtonCancel = PlacedButton(PanelControlButtons, "Abbrechen", 114, 14);
  ButtonHelp = PlacedButton(PanelControlButtons, "&Hilfe", 215, 14);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(0, 0, 0, 0);
  middle->setSpacing(0);
  middle->addWidget(ListViewTags, 1);
  middle->addWidget(PanelEditbuttons);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 0);
  layout->setSpacing(4);
  layout->addWidget(LabelListBoxTags);
  layout->addLayout(middle, 1);
  layout->addWidget(PanelControlButtons);

  PopupMenuTagList = new QMenu(this);
  PopupMenuTagListNew = PopupMenuTagList->addAction("Neu");
  PopupMenuTagListNew->setShortcut(Qt::Key_Insert);
  PopupMenuTagListEdit = PopupMenuTagList->addAction("Bearbeiten");
  PopupMenuTagListEdit->setEnabled(false);
  PopupMenuTagListDelete = PopupMenuTagList->addAction(UiText("L\xF6schen"));
  PopupMenuTagListDelete->setEnabled(false);
  PopupMenuTagListDelete->setShortcut(Qt::Key_Delete);
  N1 = PopupMenuTagList->addSeparator();
  PopupMenuTagListSelectall = PopupMenuTagList->addAction("Alles markieren");
  PopupMenuTagListSelectall->setEnabled(false);
  PopupMenuTagListSelectall->setShortcut(Qt::CTRL | Qt::Key_A);
  // The dialog sees the keys first, as the menu's shortcuts work without opening it.
  addActions(PopupMenuTagList->actions());

  FormTagItem = new TTagItemDialog(this);

  const std::pair<QObject*, const char*> names[] = {
      {LabelListBoxTags, "LabelListBoxTags"},
      {ListViewTags, "ListViewTags"},
      {PanelEditbuttons, "PanelEditbuttons"},
      {ButtonNew, "ButtonNew"},
      {ButtonEdit, "ButtonEdit"},
      {ButtonDelete, "ButtonDelete"},
      {ButtonReset, "ButtonReset"},
      {PanelControlButtons, "PanelControlButtons"},
      {ButtonOk, "ButtonOk"},
      {ButtonCancel, "ButtonCancel"},
      {ButtonHelp, "ButtonHelp"},
      {PopupMenuTagList, "PopupMenuTagList"},
      {PopupMenuTagListNew, "PopupMenuTagListNew"},
      {PopupMenuTagListEdit, "PopupMenuTagListEdit"},
      {PopupMenuTagListDelete, "PopupMenuTagListDelete"},
      {N1, "N1"},
      {PopupMenuTagListSelectall, "PopupMenuTagListSelectall"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

void TTagListDialog::ApplyTexts() {
  setWindowTitle(UiText(CapText(GetText(textid::kTagList, "Formtaglist"))));
  std::vector<std::string> captions = {
      CapText(GetText(textid::kTagsLabel,
                      "Tags, deren umgebende wei\xDF"
                      "e Zeichen gel\xF6scht werden"),
              ":"),
      CapText(GetText(textid::kNew, "Neu"), "..."),
      CapText(GetText(textid::kEdit, "Bearbeiten"), "..."),
      CapText(GetText(textid::kDelete, "L\xF6schen"), "..."),
      CapText(GetText(textid::kReset, "Reset")),
      CapText(GetText(textid::kHelp, "&Hilfe"), "..."),
  };
  // The menu takes the button captions as they were before the buttons got their keys.
  std::vector<std::string> menu = {captions[1], captions[2], captions[3],
                                   CapText(GetText(textid::kSelectAll, "Alles markieren"))};
  AssignAccelerators(captions);
  AssignAccelerators(menu);

  LabelListBoxTags->setText(UiText(captions[0]));
  ButtonNew->setText(UiText(captions[1]));
  ButtonEdit->setText(UiText(captions[2]));
  ButtonDelete->setText(UiText(captions[3]));
  ButtonReset->setText(UiText(captions[4]));
  ButtonHelp->setText(UiText(captions[5]));
  ButtonReset->setToolTip(UiText(GetText(textid::kResetHint)));
  ButtonCancel->setText(UiText(CapText(GetText(textid::kCancel, "Abbrechen"))));
  PopupMenuTagListNew->setText(UiText(menu[0]));
  PopupMenuTagListEdit->setText(UiText(menu[1]));
  PopupMenuTagListDelete->setText(UiText(menu[2]));
  PopupMenuTagListSelectall->setText(UiText(menu[3]));
  ListViewTags->setHeaderLabels({UiText(CapText(GetText(textid::kName, "Name"))),
                                 UiText(CapText(GetText(textid::kMaxTreat, "Maximal behandeln")))});
  LabelListBoxTags->setBuddy(ListViewTags);

  PopupMenuTagListEdit->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
}

void TTagListDialog::Connect() {
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonHelp, &QPushButton::clicked, this, [this] { emit HelpRequested(kHelpContext); });
  connect(FormTagItem, &TTagItemDialog::HelpRequested, this, &TTagListDialog::HelpRequested);
  connect(ButtonNew, &QPushButton::clicked, this, &TTagListDialog::ButtonNewClick);
  connect(ButtonEdit, &QPushButton::clicked, this, &TTagListDialog::ButtonEditClick);
  connect(ButtonDelete, &QPushButton::clicked, this, &TTagListDialog::ButtonDeleteClick);
  connect(ButtonReset, &QPushButton::clicked, this, &TTagListDialog::ButtonResetClick);
  connect(PopupMenuTagListNew, &QAction::triggered, this, &TTagListDialog::ButtonNewClick);
  connect(PopupMenuTagListEdit, &QAction::triggered, this, &TTagListDialog::ButtonEditClick);
  connect(PopupMenuTagListDelete, &QAction::triggered, this, &TTagListDialog::ButtonDeleteClick);
  connect(PopupMenuTagListSelectall, &QAction::triggered, this, [this] { AllSelect(true); });
  connect(ListViewTags, &QTreeWidget::itemSelectionChanged, this,
          &TTagListDialog::SelectionChanged);
  connect(ListViewTags, &QTreeWidget::itemDoubleClicked, this, &TTagListDialog::ButtonEditClick);
  connect(ListViewTags->header(), &QHeaderView::sectionClicked, this,
          &TTagListDialog::ListViewTagsColumnClick);
  connect(ListViewTags, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenuTagList->exec(ListViewTags->viewport()->mapToGlobal(at));
  });
}

// Small enough to shrink, large enough that the bottom buttons and the reset button stay
// visible.
void TTagListDialog::SetMinimumTrackSize() {
  layout()->activate();
  const int helpRight = PanelControlButtons->x() + ButtonHelp->x() + ButtonHelp->width();
  const int margins = layout()->contentsMargins().left() + layout()->contentsMargins().right();
  setMinimumWidth(helpRight + margins / 2);
  setMinimumHeight(PanelEditbuttons->y() + ButtonReset->y() + ButtonReset->height() +
                   layout()->spacing() + PanelControlButtons->height());
}

const TTagsCommaList& TTagListDialog::DefaultList() {
  if (!defaultList_) {
    defaultList_ = std::make_unique<TTagsCommaList>(TTagsCommaList::Default());
  }
  return *defaultList_;
}

void TTagListDialog::BeginListUpdate() {
  ListViewTags->setUpdatesEnabled(false);
  ++UpdateCount;
}

void TTagListDialog::EndListUpdate() {
  ListViewTags->setUpdatesEnabled(true);
  if (UpdateCount > 0 && --UpdateCount == 0) {
    SelectionChanged();
    ListChanged();
  }
}

void TTagListDialog::ListChanged() {
  if (UpdateCount != 0) {
    return;
  }
  if (!currentList_) {
    currentList_ = std::make_unique<TTagsCommaList>();
  }
  AssignFromListView(*currentList_, *ListViewTags);
  ButtonReset->setEnabled(!currentList_->Equals(DefaultList()));
}

void TTagListDialog::SelectionChanged() {
  if (UpdateCount != 0) {
    return;
  }
  const int selected = static_cast<int>(ListViewTags->selectedItems().size());
  ButtonEdit->setEnabled(selected == 1);
  ButtonDelete->setEnabled(selected >= 1);
  PopupMenuTagListDelete->setEnabled(ButtonDelete->isEnabled());
  PopupMenuTagListEdit->setEnabled(ButtonEdit->isEnabled());
  PopupMenuTagListSelectall->setEnabled(ListViewTags->RowCount() != selected);
}

void TTagListDialog::AllSelect(bool selected) {
  {
    const QSignalBlocker blocker(ListViewTags);
    if (selected) {
      ListViewTags->selectAll();
    } else {
      ListViewTags->clearSelection();
    }
  }
  SelectionChanged();
}

QTreeWidgetItem* TTagListDialog::FirstSelected() const {
  for (int row = 0; row < ListViewTags->RowCount(); ++row) {
    if (ListViewTags->Row(row)->isSelected()) {
      return ListViewTags->Row(row);
    }
  }
  return nullptr;
}

QTreeWidgetItem* TTagListDialog::FindCaption(const std::string& name,
                                             const QTreeWidgetItem* except) const {
  const std::string wanted = UpperCase(name);
  for (int row = 0; row < ListViewTags->RowCount(); ++row) {
    QTreeWidgetItem* item = ListViewTags->Row(row);
    if (item != except && UpperCase(ProgramText(item->text(0))) == wanted) {
      return item;
    }
  }
  return nullptr;
}

bool TTagListDialog::EditTagItem(std::string& name, uint32_t& count, uint32_t captionId,
                                 const QTreeWidgetItem* edited) {
  const std::string formerName = name;
  const uint32_t formerCount = count;
  ListViewTags->setFocus();
  FormTagItem->EditTagname->setText(UiText(name));
  FormTagItem->SetCount(count);
  FormTagItem->setWindowTitle(UiText(CapText(GetText(captionId))));
  for (;;) {
    if (runItemDialog_(*FormTagItem) != QDialog::Accepted) {
      return false;
    }
    const std::string newName =
        TrimWhiteSpace(UpperCase(ProgramText(FormTagItem->EditTagname->text())));
    if (newName.empty()) {
      Messages().Error(GetText(textid::kTagNameEmpty));
      continue;
    }
    if (newName != formerName) {
      if (FindCaption(newName, edited) != nullptr) {
        Messages().Error(GetText(textid::kTagNameExists));
        continue;
      }
    } else if (FormTagItem->GetCount() == formerCount) {
      return false;
    }
    name = newName;
    count = FormTagItem->GetCount();
    return true;
  }
}

void TTagListDialog::ButtonNewClick() {
  std::string name;
  uint32_t count = 0;
  if (!EditTagItem(name, count, textid::kNewTagCaption)) {
    return;
  }
  QTreeWidgetItem* item = ListViewTags->AddRow();
  SetTagListItem(*item, name, count);
  ListViewTags->Sort();
  AllSelect(false);
  ListViewTags->setCurrentItem(item);
  item->setSelected(true);
  ListViewTags->scrollToItem(item);
  ListChanged();
  FormTagItem->ResetItemDialog();
}

void TTagListDialog::ButtonEditClick() {
  QTreeWidgetItem* item = FirstSelected();
  if (item == nullptr) {
    return;
  }
  std::string name = TagListItemName(*item);
  uint32_t count = TagListItemCount(*item);
  if (!EditTagItem(name, count, textid::kEditTagCaption, item)) {
    return;
  }
  SetTagListItem(*item, name, count);
  ListViewTags->Sort();
  ListViewTags->selectionModel()->setCurrentIndex(ListViewTags->indexFromItem(item),
                                                  QItemSelectionModel::NoUpdate);
  ListViewTags->scrollToItem(item);
  ListChanged();
}

void TTagListDialog::ButtonDeleteClick() {
  BeginListUpdate();
  for (int row = ListViewTags->RowCount() - 1; row >= 0; --row) {
    if (ListViewTags->Row(row)->isSelected()) {
      std::unique_ptr<QTreeWidgetItem> taken(ListViewTags->takeTopLevelItem(row));
    }
  }
  EndListUpdate();
  FormTagItem->ResetItemDialog();
}

void TTagListDialog::ButtonResetClick() {
  BeginListUpdate();
  AssignToListView(DefaultList(), *ListViewTags);
  EndListUpdate();
}

void TTagListDialog::ListViewTagsColumnClick(int column) {
  if (column == 0) {
    ListViewTags->Tag = ListViewTags->Tag == TTagListView::NameAscending
                            ? TTagListView::NameDescending
                            : TTagListView::NameAscending;
  } else {
    ListViewTags->Tag = ListViewTags->Tag == TTagListView::CountAscending
                            ? TTagListView::CountDescending
                            : TTagListView::CountAscending;
  }
  ListViewTags->Sort();
}

void TTagListDialog::FormShow() {
  ListChanged();
  SelectionChanged();
}

// Each opening compares against a freshly built default list.
void TTagListDialog::FormHide() {
  defaultList_.reset();
  currentList_.reset();
}

void TTagListDialog::LoadTags(const TTagsCommaList& list) {
  BeginListUpdate();
  AssignToListView(list, *ListViewTags);
  EndListUpdate();
}

TTagsCommaList TTagListDialog::Tags() const {
  TTagsCommaList list;
  AssignFromListView(list, *ListViewTags);
  return list;
}

bool EditTagList(TTagListDialog& form, TTagsCommaList& list) {
  form.LoadTags(list);
  if (form.exec() != QDialog::Accepted) {
    return false;
  }
  list = form.Tags();
  return true;
}

}  // namespace quorvane
