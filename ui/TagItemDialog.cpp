#include "ui/TagItemDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>
#include <string>
#include <vector>

#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

TTagItemDialog::TTagItemDialog(QWidget* parent) : TFormDialog(parent) {
  setObjectName("FormTagItem");
  CreateComponents();
  ApplyTexts();
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonHelp, &QPushButton::clicked, this, [this] { emit HelpRequested(kHelpContext); });
  connect(EditTagname, &QLineEdit::textChanged, this, &TTagItemDialog::CheckButtons);
  connect(CheckBoxTreatall, &QCheckBox::clicked, this, &TTagItemDialog::CheckBoxTreatallClick);
  resize(334, 167);
  setFixedSize(sizeHint().expandedTo(QSize(334, 167)));
  CheckButtons();
}

void TTagItemDialog::CreateComponents() {
  Label1 = new QLabel("Name des Tags", this);
  EditTagname = new QLineEdit(this);
  CheckBoxTreatall = new QCheckBox("alle behandeln", this);
  CheckBoxTreatall->setChecked(true);
  Label2 = new QLabel("Maximal behandeln", this);
  Label2->setEnabled(false);
  SpinEdit1 = new QSpinBox(this);
  SpinEdit1->setRange(1, std::numeric_limits<int32_t>::max());
  SpinEdit1->setValue(1);
  SpinEdit1->setEnabled(false);
  ButtonOk = new QPushButton("OK", this);
  ButtonOk->setDefault(true);
  ButtonOk->setEnabled(false);
  ButtonCancel = new QPushButton("Abbrechen", this);
  ButtonHelp = new QPushButton("Hilfe", this);

  auto* grid = new QGridLayout;
  grid->addWidget(Label1, 0, 0, 1, 2);
  grid->addWidget(EditTagname, 1, 0, 1, 2);
  grid->addWidget(CheckBoxTreatall, 2, 0, 1, 2);
  grid->addWidget(Label2, 3, 0);
  grid->addWidget(SpinEdit1, 3, 1);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {ButtonOk, ButtonCancel, ButtonHelp}) {
    button->setMinimumSize(90, 27);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);

  const std::pair<QObject*, const char*> names[] = {
      {Label1, "Label1"},
      {EditTagname, "EditTagname"},
      {CheckBoxTreatall, "CheckBoxTreatall"},
      {Label2, "Label2"},
      {SpinEdit1, "SpinEdit1"},
      {ButtonOk, "ButtonOk"},
      {ButtonCancel, "ButtonCancel"},
      {ButtonHelp, "ButtonHelp"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

void TTagItemDialog::ApplyTexts() {
  std::vector<std::string> captions = {
      CapText(GetText(textid::kName, "Name des Tags"), ":"),
      CapText(GetText(textid::kMaxTreat, "Maximal behandeln"), ":"),
      CapText(GetText(textid::kTreatAll, "alle behandeln")),
      CapText(GetText(textid::kHelp, "Hilfe"), "..."),
  };
  AssignAccelerators(captions);
  Label1->setText(UiText(captions[0]));
  Label2->setText(UiText(captions[1]));
  CheckBoxTreatall->setText(UiText(captions[2]));
  ButtonHelp->setText(UiText(captions[3]));
  ButtonCancel->setText(UiText(CapText(GetText(textid::kCancel, "Abbrechen"))));
  ButtonOk->setText(UiText(CapText(GetText(textid::kOk, "OK"))));
  Label1->setBuddy(EditTagname);
  Label2->setBuddy(SpinEdit1);
}

void TTagItemDialog::SetCount(uint32_t count) {
  if (count != 0) {
    SpinEdit1->setEnabled(true);
    Label2->setEnabled(true);
    CheckBoxTreatall->setChecked(false);
    // Counts above the spin edit's range come only from hand-edited settings.
    SpinEdit1->setValue(static_cast<int>(
        std::min<uint32_t>(count, static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))));
    if (isVisible()) {
      SpinEdit1->setFocus();
    }
    return;
  }
  if (SpinEdit1->hasFocus() && isVisible()) {
    CheckBoxTreatall->setFocus();
  }
  SpinEdit1->setEnabled(false);
  Label2->setEnabled(false);
  CheckBoxTreatall->setChecked(true);
}

uint32_t TTagItemDialog::GetCount() const {
  return CheckBoxTreatall->isChecked() ? 0 : static_cast<uint32_t>(SpinEdit1->value());
}

void TTagItemDialog::ResetItemDialog() {
  SpinEdit1->setValue(1);
  SetCount(0);
  EditTagname->setFocus();
}

void TTagItemDialog::CheckButtons() {
  ButtonOk->setEnabled(!TrimWhiteSpace(UpperCase(ProgramText(EditTagname->text()))).empty());
}

void TTagItemDialog::CheckBoxTreatallClick() {
  SetCount(CheckBoxTreatall->isChecked() ? 0 : static_cast<uint32_t>(SpinEdit1->value()));
}

void TTagItemDialog::FormShow() {
  EditTagname->setFocus();
  CheckButtons();
}

}  // namespace quorvane
