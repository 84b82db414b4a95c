#include "ui/FindReplaceDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/UiText.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {
QString Caption(uint32_t id, const char* fallback) {
  return UiText(CapText(GetText(id, fallback)));
}
}  // namespace

TFindReplaceDialog::TFindReplaceDialog(TKind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
  setModal(false);
  setWindowTitle(Caption(kind == TKind::Find ? textid::kSearch : textid::kReplace,
                         kind == TKind::Find ? "search" : "replace"));
  auto* form = new QFormLayout;
  findText_ = new QLineEdit(this);
  findText_->setObjectName("EditFindText");
  form->addRow(Caption(textid::kSearch, "search") + ":", findText_);
  if (kind == TKind::Replace) {
    replaceText_ = new QLineEdit(this);
    replaceText_->setObjectName("EditReplaceText");
    form->addRow(Caption(textid::kReplace, "replace") + ":", replaceText_);
  }
  matchCase_ = new QCheckBox(Caption(textid::kMatchCase, "match case"), this);
  matchCase_->setObjectName("CheckBoxMatchCase");
  form->addRow(QString(), matchCase_);

  auto* buttons = new QVBoxLayout;
  auto* findNext = new QPushButton(Caption(textid::kSearchNext, "find next"), this);
  findNext->setObjectName("ButtonFindNext");
  findNext->setDefault(true);
  buttons->addWidget(findNext);
  connect(findNext, &QPushButton::clicked, this, &TFindReplaceDialog::FindNext);
  if (kind == TKind::Replace) {
    auto* replace = new QPushButton(Caption(textid::kReplace, "replace"), this);
    replace->setObjectName("ButtonReplace");
    auto* replaceAll = new QPushButton(Caption(textid::kReplaceAll, "replace all"), this);
    replaceAll->setObjectName("ButtonReplaceAll");
    buttons->addWidget(replace);
    buttons->addWidget(replaceAll);
    connect(replace, &QPushButton::clicked, this, [this] {
      replaceAll_ = false;
      emit ReplaceRequested();
    });
    connect(replaceAll, &QPushButton::clicked, this, [this] {
      replaceAll_ = true;
      emit ReplaceRequested();
    });
  }
  auto* close = new QPushButton(Caption(textid::kClose, "close"), this);
  close->setObjectName("ButtonClose");
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  buttons->addWidget(close);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(form, 1);
  layout->addLayout(buttons);
}

QString TFindReplaceDialog::FindText() const {
  return findText_->text();
}

void TFindReplaceDialog::SetFindText(const QString& text) {
  findText_->setText(text);
}

QString TFindReplaceDialog::ReplaceText() const {
  return replaceText_ != nullptr ? replaceText_->text() : QString();
}

bool TFindReplaceDialog::MatchCase() const {
  return matchCase_->isChecked();
}

void TFindReplaceDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  findText_->setFocus();
  findText_->selectAll();
  emit Shown();
}

}  // namespace quorvane
