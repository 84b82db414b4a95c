#include "ui/ContextMenuDialog.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "batch/Messages.h"
#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "shell/ClassNames.h"
#include "shell/ContextMenu.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/DoctypeListBox.h"
#include "ui/ExtensionDialog.h"

namespace quorvane {
namespace {

// The assigned list keeps at least this width when the splitter moves.
constexpr int kMinimumListWidth = 108;

// A panel with a label on top, a list, and a button below it.
QWidget* ListPanel(QWidget* parent, QLabel* label, QListWidget* list, QPushButton* button) {
  auto* panel = new QWidget(parent);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(2, 2, 2, 2);
  label->setParent(panel);
  label->setWordWrap(true);
  list->setParent(panel);
  button->setParent(panel);
  layout->addWidget(label);
  layout->addWidget(list, 1);
  layout->addWidget(button);
  return panel;
}

}  // namespace

TContextMenuDialog::TContextMenuDialog(TExtensionDialog& chooser, QWidget* parent)
    : TFormDialog(parent), chooser_(chooser) {
  setObjectName("FormContextmenu");
  CreateComponents();
  ApplyTexts();
  Connect();
  resize(431, 382);
  setMinimumWidth(428);
  setMinimumHeight(230);
  CheckButtons();
}

TContextMenuDialog::~TContextMenuDialog() = default;

void TContextMenuDialog::CreateComponents() {
  LabelDoctypesAvail = new QLabel(this);
  ListBoxDoctypesAvail = new TDoctypeListBox(this);
  ButtonAdd = new QPushButton(this);
  LabelDoctypesAssigned = new QLabel(this);
  ListBoxDoctypesAssigned = new TDoctypeListBox(this);
  ButtonRemove = new QPushButton(this);

  Splitter1 = new QSplitter(Qt::Horizontal, this);
  PanelDoctypesAvail = ListPanel(Splitter1, LabelDoctypesAvail, ListBoxDoctypesAvail, ButtonAdd);
  PanelDoctypesAssigned =
      ListPanel(Splitter1, LabelDoctypesAssigned, ListBoxDoctypesAssigned, ButtonRemove);
  Splitter1->addWidget(PanelDoctypesAvail);
  Splitter1->addWidget(PanelDoctypesAssigned);
  Splitter1->setHandleWidth(4);
  Splitter1->setChildrenCollapsible(false);
  PanelDoctypesAssigned->setMinimumWidth(kMinimumListWidth);
  PanelDoctypesAvail->setMinimumWidth(kMinimumListWidth);
  Splitter1->setSizes({192, 235});

  Panel4 = new QWidget(this);
  LabelAssignedExtensions = new QLabel(Panel4);
  EditExt = new QLineEdit(Panel4);
  EditExt->setReadOnly(true);
  ButtonSearchExt = new QPushButton(Panel4);
  LabelEditContextmenuName = new QLabel(Panel4);
  LabelEditContextmenuName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  EditContextmenuCaption = new QLineEdit(Panel4);
  ButtonOK = new QPushButton(Panel4);
  ButtonCancel = new QPushButton(Panel4);
  ButtonHelp = new QPushButton(Panel4);
  ButtonOK->setDefault(true);
  auto* grid = new QGridLayout(Panel4);
  grid->addWidget(LabelAssignedExtensions, 0, 0);
  grid->addWidget(EditExt, 0, 1);
  grid->addWidget(ButtonSearchExt, 0, 2);
  grid->addWidget(LabelEditContextmenuName, 1, 0);
  grid->addWidget(EditContextmenuCaption, 1, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  grid->addLayout(buttons, 2, 0, 1, 3);
  for (QPushButton* button : {ButtonOK, ButtonCancel, ButtonHelp}) {
    button->setMinimumSize(90, 27);
    buttons->addWidget(button);
  }
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Splitter1, 1);
  layout->addWidget(Panel4);

  PopupMenuDoctypesAvail = new QMenu(this);
  PopupMenuAdd = PopupMenuDoctypesAvail->addAction(QString());
  PopupMenuSearchExt1 = PopupMenuDoctypesAvail->addAction(QString());
  PopupMenuDoctypesAssigned = new QMenu(this);
  PopupMenuRemove = PopupMenuDoctypesAssigned->addAction(QString());
  PopupMenuSearchExt2 = PopupMenuDoctypesAssigned->addAction(QString());

  const std::pair<QObject*, const char*> names[] = {
      {Splitter1, "Splitter1"},
      {PanelDoctypesAvail, "PanelDoctypesAvail"},
      {LabelDoctypesAvail, "LabelDoctypesAvail"},
      {ListBoxDoctypesAvail, "ListBoxDoctypesAvail"},
      {ButtonAdd, "ButtonAdd"},
      {PanelDoctypesAssigned, "PanelDoctypesAssigned"},
      {LabelDoctypesAssigned, "LabelDoctypesAssigned"},
      {ListBoxDoctypesAssigned, "ListBoxDoctypesAssigned"},
      {ButtonRemove, "ButtonRemove"},
      {Panel4, "Panel4"},
      {LabelAssignedExtensions, "LabelAssignedExtensions"},
      {EditExt, "EditExt"},
      {ButtonSearchExt, "ButtonSearchExt"},
      {LabelEditContextmenuName, "LabelEditContextmenuName"},
      {EditContextmenuCaption, "EditContextmenuCaption"},
      {ButtonOK, "ButtonOK"},
      {ButtonCancel, "ButtonCancel"},
      {ButtonHelp, "ButtonHelp"},
      {PopupMenuDoctypesAvail, "PopupMenuDoctypesAvail"},
      {PopupMenuAdd, "PopupMenuAdd"},
      {PopupMenuSearchExt1, "PopupMenuSearchExt1"},
      {PopupMenuDoctypesAssigned, "PopupMenuDoctypesAssigned"},
      {PopupMenuRemove, "PopupMenuRemove"},
      {PopupMenuSearchExt2, "PopupMenuSearchExt2"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

void TContextMenuDialog::ApplyTexts() {
  setWindowTitle(UiText(CapText(GetText(textid::kEditContextMenu, "Kontextmen\xFC bearbeiten"))));
  std::vector<std::string> captions = {
      CapText(GetText(textid::kAdd, "Hinzuf\xFCgen"), " ->"),
      CapText(GetText(textid::kDoctypesAvailable, "verf\xFCgbare Dateitypen"), ":"),
      CapText(GetText(textid::kDoctypesAssigned, "zugeordnete Dateitypen"), ":"),
      CapText(GetText(textid::kAssignedExtensions, "zugeordnete Erweiterungen"), ":"),
      "<- " + CapText(GetText(textid::kRemove, "Entfernen")),
      CapText(GetText(textid::kSearchExtension, "Erweiterung suchen"), "..."),
      GetText(textid::kHelp, "&Hilfe"),
      CapText(GetText(textid::kContextMenuName,
                      "Kontextmen\xFC"
                      "benennung"),
              ":"),
  };
  std::vector<std::string> availMenu = {captions[0], captions[5]};
  std::vector<std::string> assignedMenu = {captions[4], captions[5]};
  AssignAccelerators(captions);
  AssignAccelerators(availMenu);
  AssignAccelerators(assignedMenu);

  ButtonAdd->setText(UiText(captions[0]));
  LabelDoctypesAvail->setText(UiText(captions[1]));
  LabelDoctypesAssigned->setText(UiText(captions[2]));
  LabelAssignedExtensions->setText(UiText(captions[3]));
  ButtonRemove->setText(UiText(captions[4]));
  ButtonSearchExt->setText(UiText(captions[5]));
  ButtonHelp->setText(UiText(captions[6]));
  LabelEditContextmenuName->setText(UiText(captions[7]));
  PopupMenuAdd->setText(UiText(availMenu[0]));
  PopupMenuSearchExt1->setText(UiText(availMenu[1]));
  PopupMenuRemove->setText(UiText(assignedMenu[0]));
  PopupMenuSearchExt2->setText(UiText(assignedMenu[1]));
  ButtonCancel->setText(UiText(GetText(textid::kCancel, "Cancel")));
  ButtonOK->setText(UiText(GetText(textid::kOk, "OK")));

  LabelDoctypesAvail->setBuddy(ListBoxDoctypesAvail);
  LabelDoctypesAssigned->setBuddy(ListBoxDoctypesAssigned);
  LabelAssignedExtensions->setBuddy(EditExt);
  LabelEditContextmenuName->setBuddy(EditContextmenuCaption);
}

void TContextMenuDialog::Connect() {
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonHelp, &QPushButton::clicked, this, [this] { emit HelpRequested(kHelpContext); });
  connect(EditContextmenuCaption, &QLineEdit::textChanged, this, &TContextMenuDialog::CheckButtons);
  connect(ButtonAdd, &QPushButton::clicked, this, [this] { ButtonAddRemoveClick(ButtonAdd); });
  connect(ButtonRemove, &QPushButton::clicked, this,
          [this] { ButtonAddRemoveClick(ButtonRemove); });
  connect(PopupMenuAdd, &QAction::triggered, this, [this] { ButtonAddRemoveClick(PopupMenuAdd); });
  connect(PopupMenuRemove, &QAction::triggered, this,
          [this] { ButtonAddRemoveClick(PopupMenuRemove); });
  for (QObject* search :
       {static_cast<QObject*>(ButtonSearchExt), static_cast<QObject*>(PopupMenuSearchExt1),
        static_cast<QObject*>(PopupMenuSearchExt2)}) {
    if (auto* button = qobject_cast<QPushButton*>(search)) {
      connect(button, &QPushButton::clicked, this, &TContextMenuDialog::ButtonSearchExtClick);
    } else if (auto* action = qobject_cast<QAction*>(search)) {
      connect(action, &QAction::triggered, this, &TContextMenuDialog::ButtonSearchExtClick);
    }
  }
  const std::pair<TDoctypeListBox*, QMenu*> lists[] = {
      {ListBoxDoctypesAvail, PopupMenuDoctypesAvail},
      {ListBoxDoctypesAssigned, PopupMenuDoctypesAssigned}};
  for (const auto& [list, menu] : lists) {
    connect(list, &QListWidget::itemSelectionChanged, this,
            [this, list = list] { ListBoxDoctypesClick(list); });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, list = list] { ListBoxDoctypesDblClick(list); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [list = list, menu = menu](const QPoint& at) {
              menu->exec(list->viewport()->mapToGlobal(at));
            });
    list->DragOver = [this](QObject* source, QObject* target) {
      return ListBoxDragOver(source, target);
    };
    list->DragDrop = [this](QObject* source) { ListBoxDragDrop(source); };
  }
}

void TContextMenuDialog::SetCaptionText(const std::string& text) {
  EditContextmenuCaption->setText(UiText(TrimWhiteSpace(text)));
}

std::string TContextMenuDialog::GetCaptionText() const {
  return TrimWhiteSpace(ProgramText(EditContextmenuCaption->text()));
}

const TFileTypeItem* TContextMenuDialog::TypeOf(const QListWidgetItem* item) const {
  const int index = TDoctypeListBox::TypeIndexOf(item);
  return index >= 0 && static_cast<size_t>(index) < types_.size() ? &types_[index] : nullptr;
}

void TContextMenuDialog::FormShow() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  EditExt->clear();
  chosenClasses_.clear();
  ListBoxDoctypesAvail->clear();
  ListBoxDoctypesAssigned->clear();

  TDocumentTypes documentTypes = ReadDocumentTypes();
  chooser_.SetExtensions(documentTypes.Extensions);
  const TClassList registered = FindRegisteredClasses(ContextMenuCommandLine());
  types_.clear();
  for (auto& [description, type] : documentTypes.Types) {
    const bool assigned =
        std::any_of(registered.begin(), registered.end(),
                    [&type = type](const std::string& name) { return type.HasName(name); });
    types_.push_back(std::move(type));
    TDoctypeListBox* list = assigned ? ListBoxDoctypesAssigned : ListBoxDoctypesAvail;
    list->AddType(QString::fromStdString(description), static_cast<int>(types_.size() - 1));
  }
  CheckButtons();
  QApplication::restoreOverrideCursor();
}

void TContextMenuDialog::FormHide() {
  for (int row = 0; row < ListBoxDoctypesAssigned->count(); ++row) {
    if (const TFileTypeItem* type = TypeOf(ListBoxDoctypesAssigned->item(row))) {
      const auto place =
          std::lower_bound(chosenClasses_.begin(), chosenClasses_.end(), type->Name, LessClassName);
      if (place == chosenClasses_.end() || !type->HasName(*place)) {
        chosenClasses_.insert(place, type->Name);
      }
    }
  }
  ListBoxDoctypesAvail->clear();
  ListBoxDoctypesAssigned->clear();
  types_.clear();
}

void TContextMenuDialog::CheckButtons() {
  ButtonRemove->setEnabled(ListBoxDoctypesAssigned->SelectedItem() != nullptr);
  PopupMenuRemove->setEnabled(ButtonRemove->isEnabled());
  const TFileTypeItem* available = TypeOf(ListBoxDoctypesAvail->SelectedItem());
  ButtonAdd->setEnabled(available != nullptr && !available->Extensions.empty());
  PopupMenuAdd->setEnabled(ButtonAdd->isEnabled());
  ButtonOK->setEnabled(!GetCaptionText().empty());
}

void TContextMenuDialog::ListBoxDoctypesClick(QListWidget* list) {
  const auto* doctypes = qobject_cast<TDoctypeListBox*>(list);
  const TFileTypeItem* type = doctypes != nullptr ? TypeOf(doctypes->SelectedItem()) : nullptr;
  if (type == nullptr) {
    EditExt->clear();
  } else if (type->Extensions.empty()) {
    std::string text = "[";
    text += GetText(textid::kNoExtensions);
    text += ']';
    EditExt->setText(UiText(text));
  } else {
    EditExt->setText(QString::fromStdString(type->ExtensionsText()));
  }
  CheckButtons();
}

void TContextMenuDialog::ListBoxDoctypesDblClick(QListWidget* list) {
  if (list == ListBoxDoctypesAssigned && ButtonRemove->isEnabled()) {
    ButtonAddRemoveClick(ButtonRemove);
  } else if (list == ListBoxDoctypesAvail && ButtonAdd->isEnabled()) {
    ButtonAddRemoveClick(ButtonAdd);
  }
}

void TContextMenuDialog::MoveSelected(TDoctypeListBox* source, TDoctypeListBox* destination) {
  QListWidgetItem* item = source->SelectedItem();
  if (item == nullptr) {
    return;
  }
  const QString description = item->text();
  const int typeIndex = TDoctypeListBox::TypeIndexOf(item);
  const std::unique_ptr<QListWidgetItem> taken(source->takeItem(source->row(item)));
  source->clearSelection();
  source->setCurrentItem(nullptr);
  destination->AddType(description, typeIndex);
  ListBoxDoctypesClick(destination);
}

void TContextMenuDialog::ButtonAddRemoveClick(QObject* sender) {
  if (sender == ButtonAdd || sender == PopupMenuAdd || sender == ListBoxDoctypesAvail) {
    MoveSelected(ListBoxDoctypesAvail, ListBoxDoctypesAssigned);
  } else {
    MoveSelected(ListBoxDoctypesAssigned, ListBoxDoctypesAvail);
  }
  CheckButtons();
}

bool TContextMenuDialog::SelectType(TDoctypeListBox* list, const std::string& name) {
  for (int row = 0; row < list->count(); ++row) {
    const TFileTypeItem* type = TypeOf(list->item(row));
    if (type != nullptr && type->HasName(name)) {
      list->setFocus();
      list->setCurrentRow(row);
      list->item(row)->setSelected(true);
      ListBoxDoctypesClick(list);
      return true;
    }
  }
  return false;
}

void TContextMenuDialog::ButtonSearchExtClick() {
  if (chooser_.exec() != QDialog::Accepted) {
    return;
  }
  const std::string extension = chooser_.ChosenExtension();
  const std::string name = ClassOfExtension("." + extension);
  if (!name.empty() &&
      (SelectType(ListBoxDoctypesAvail, name) || SelectType(ListBoxDoctypesAssigned, name))) {
    return;
  }
  Messages().Error(CapText(ReplaceAll(GetText(textid::kExtensionTypeNotListed), "%s", extension)));
}

bool TContextMenuDialog::ListBoxDragOver(QObject* source, QObject* target) const {
  const auto* from = qobject_cast<const TDoctypeListBox*>(source);
  const auto* to = qobject_cast<const TDoctypeListBox*>(target);
  return from != nullptr && to != nullptr && from->objectName() != to->objectName();
}

void TContextMenuDialog::ListBoxDragDrop(QObject* source) {
  ButtonAddRemoveClick(source);
}

}  // namespace quorvane
