#include "ui/ExtensionDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

TExtensionDialog::TExtensionDialog(QWidget* parent)
    : QDialog(parent),
      LabelExt(new QLabel(this)),
      ListBoxExts(new QListWidget(this)),
      Panel1(new QWidget(this)),
      ButtonOK(new QPushButton(Panel1)),
      ButtonCancel(new QPushButton(Panel1)) {
  setObjectName("FormChooseExt");
  LabelExt->setObjectName("LabelExt");
  ListBoxExts->setObjectName("ListBoxExts");
  Panel1->setObjectName("Panel1");
  ButtonOK->setObjectName("ButtonOK");
  ButtonCancel->setObjectName("ButtonCancel");
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* buttons = new QVBoxLayout(Panel1);
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  buttons->addStretch();
  Panel1->setFixedWidth(117);
  auto* listSide = new QVBoxLayout;
  listSide->addWidget(LabelExt);
  listSide->addWidget(ListBoxExts);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(listSide);
  layout->addWidget(Panel1);

  setWindowTitle(UiText(CapText(GetText(textid::kChooseExtension, "Erweiterung ausw\xE4hlen"))));
  std::vector<std::string> captions = {CapText(GetText(textid::kExtensions, "Erweiterungen"), ":")};
  AssignAccelerators(captions);
  LabelExt->setText(UiText(captions[0]));
  LabelExt->setBuddy(ListBoxExts);
  ButtonOK->setText(UiText(GetText(textid::kOk, "OK")));
  ButtonCancel->setText(UiText(GetText(textid::kCancel, "Abbrechen")));
  ButtonOK->setDefault(true);
  ButtonOK->setEnabled(false);

  resize(310, 329);
  setMinimumWidth(Panel1->width() + 100);
  setMinimumHeight(LabelExt->sizeHint().height() + 2 * ButtonCancel->sizeHint().height() + 50);
  ListBoxExts->setFocus();

  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListBoxExts, &QListWidget::itemSelectionChanged, this, &TExtensionDialog::CheckButtons);
  connect(ListBoxExts, &QListWidget::itemDoubleClicked, this,
          &TExtensionDialog::ListBoxExtsDblClick);
}

void TExtensionDialog::SetExtensions(const std::vector<std::string>& extensions) {
  ListBoxExts->clear();
  for (const std::string& extension : extensions) {
    ListBoxExts->addItem(QString::fromStdString(extension));
  }
  CheckButtons();
}

std::string TExtensionDialog::ChosenExtension() const {
  const QList<QListWidgetItem*> selected = ListBoxExts->selectedItems();
  return selected.isEmpty() ? std::string() : selected.front()->text().toStdString();
}

void TExtensionDialog::CheckButtons() {
  ButtonOK->setEnabled(!ListBoxExts->selectedItems().isEmpty());
}

void TExtensionDialog::ListBoxExtsDblClick() {
  if (ButtonOK->isEnabled()) {
    ButtonOK->click();
  }
}

void TExtensionDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CheckButtons();
}

}  // namespace quorvane
