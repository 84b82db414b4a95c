#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/FileAttributes.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

TOptionsDialog::TOptionsDialog(QWidget* parent) : QDialog(parent), browse_(DefaultFolderBrowser()) {
  setObjectName("FormOptions");
  CreateComponents();
  ApplyTexts();
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(EditHTMLHelpDir, &QLineEdit::textChanged, this, &TOptionsDialog::CheckButtons);
  connect(RadioButtonHTMLHelpDirAuto, &QRadioButton::clicked, this,
          &TOptionsDialog::HTMLHelpDirAutoChanged);
  connect(RadioButtonHTMLHelpDirUser, &QRadioButton::clicked, this,
          &TOptionsDialog::RadioButtonHTMLHelpDirUserClick);
  connect(ButtonBrowse, &QPushButton::clicked, this, &TOptionsDialog::ButtonBrowseClick);
  EditHTMLHelpDir->installEventFilter(this);
  EditHTMLHelpDir->clear();
  SetHelpDirAuto(true);
  HTMLHelpDirAutoChanged();
  SetWaittime(1000);
  setFixedSize(sizeHint().expandedTo(QSize(560, 187)));
}

void TOptionsDialog::CreateComponents() {
  GroupBoxHTMLHelpDir = new QGroupBox(UiText("HTML-Hilfe-Verzeichnis:"), this);
  RadioButtonHTMLHelpDirAuto = new QRadioButton("Automatisch", GroupBoxHTMLHelpDir);
  RadioButtonHTMLHelpDirAuto->setChecked(true);
  RadioButtonHTMLHelpDirUser = new QRadioButton("Benutzerdefiniert", GroupBoxHTMLHelpDir);
  EditHTMLHelpDir = new QLineEdit(GroupBoxHTMLHelpDir);
  ButtonBrowse = new QPushButton("Browse", GroupBoxHTMLHelpDir);
  SpinEditWaittime = new QSpinBox(this);
  SpinEditWaittime->setRange(0, std::numeric_limits<int32_t>::max());
  SpinEditWaittime->setSingleStep(100);
  SpinEditWaittime->setValue(0);
  SpinEditWaittime->setMinimumWidth(120);
  LabelSpinEditWaittime = new QLabel(UiText("Anzeigeverz\xF6gerung"), this);
  CheckBoxProtectCodeElements = new QCheckBox(this);
  CheckBoxProtectCodeElements->setChecked(true);
  ButtonOk = new QPushButton("OK", this);
  ButtonOk->setDefault(true);
  ButtonCancel = new QPushButton("Abbrechen", this);

  auto* userRow = new QHBoxLayout;
  userRow->addWidget(RadioButtonHTMLHelpDirUser);
  userRow->addWidget(EditHTMLHelpDir, 1);
  userRow->addWidget(ButtonBrowse);
  auto* group = new QVBoxLayout(GroupBoxHTMLHelpDir);
  group->addWidget(RadioButtonHTMLHelpDirAuto);
  group->addLayout(userRow);

  auto* waitRow = new QHBoxLayout;
  waitRow->addWidget(SpinEditWaittime);
  waitRow->addWidget(LabelSpinEditWaittime, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {ButtonOk, ButtonCancel}) {
    button->setMinimumSize(90, 27);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBoxHTMLHelpDir);
  layout->addLayout(waitRow);
  layout->addWidget(CheckBoxProtectCodeElements);
  layout->addStretch();
  layout->addLayout(buttons);

  const std::pair<QObject*, const char*> names[] = {
      {GroupBoxHTMLHelpDir, "GroupBoxHTMLHelpDir"},
      {RadioButtonHTMLHelpDirAuto, "RadioButtonHTMLHelpDirAuto"},
      {RadioButtonHTMLHelpDirUser, "RadioButtonHTMLHelpDirUser"},
      {EditHTMLHelpDir, "EditHTMLHelpDir"},
      {ButtonBrowse, "ButtonBrowse"},
      {SpinEditWaittime, "SpinEditWaittime"},
      {LabelSpinEditWaittime, "LabelSpinEditWaittime"},
      {CheckBoxProtectCodeElements, "CheckBoxProtectCodeElements"},
      {ButtonOk, "ButtonOk"},
      {ButtonCancel, "ButtonCancel"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

// This dialog has no accelerator keys.
void TOptionsDialog::ApplyTexts() {
  setWindowTitle(UiText(CapText(GetText(textid::kOptions))));
  ButtonCancel->setText(UiText(CapText(GetText(textid::kCancel, "Abbrechen"))));
  ButtonOk->setText(UiText(CapText(GetText(textid::kOk, "OK"))));
  ButtonBrowse->setText(UiText(CapText(GetText(textid::kBrowse, "Browse"), "...")));
  GroupBoxHTMLHelpDir->setTitle(UiText(GetText(textid::kHtmlHelpDir, "HTML-Hilfe-Verzeichnis:")));
  RadioButtonHTMLHelpDirAuto->setText(UiText(CapText(GetText(textid::kAutomatic, "Automatisch"))));
  RadioButtonHTMLHelpDirUser->setText(
      UiText(CapText(GetText(textid::kUserDefined, "Benutzerdefiniert"), ":")));
  LabelSpinEditWaittime->setText(
      UiText(CapText(GetText(textid::kDisplayDelay, "Anzeigeverz\xF6gerung"))));
  SpinEditWaittime->setToolTip(UiText(CapText(GetText(textid::kDisplayDelayHint))));
  CheckBoxProtectCodeElements->setText(
      UiText(CapText(GetText(textid::kProtectCodeElements,
                             "Codebl\xF6"
                             "cke, Textfelder, Skripte und Stile unver\xE4"
                             "ndert lassen"))));
}

void TOptionsDialog::SetWaittime(int32_t value) {
  SpinEditWaittime->setValue(value);
}

int32_t TOptionsDialog::GetWaittime() const {
  return SpinEditWaittime->value();
}

void TOptionsDialog::SetStrictPre(bool value) {
  CheckBoxProtectCodeElements->setChecked(!value);
}

bool TOptionsDialog::GetStrictPre() const {
  return !CheckBoxProtectCodeElements->isChecked();
}

void TOptionsDialog::SetHelpDirAuto(bool value) {
  if (GetHelpDirAuto() == value) {
    return;
  }
  (value ? RadioButtonHTMLHelpDirAuto : RadioButtonHTMLHelpDirUser)->setChecked(true);
  HTMLHelpDirAutoChanged();
}

bool TOptionsDialog::GetHelpDirAuto() const {
  return RadioButtonHTMLHelpDirAuto->isChecked();
}

void TOptionsDialog::SetHelpDir(const std::string& dir) {
  EditHTMLHelpDir->setText(PathText(dir));
}

std::string TOptionsDialog::GetHelpDir() const {
  return FilePath(EditHTMLHelpDir->text());
}

void TOptionsDialog::CheckButtons() {
  ButtonOk->setEnabled(!RadioButtonHTMLHelpDirUser->isChecked() || DirectoryExists(GetHelpDir()));
}

// The directory field looks inactive while the directory is found automatically.
void TOptionsDialog::HTMLHelpDirAutoChanged() {
  const bool automatic = RadioButtonHTMLHelpDirAuto->isChecked();
  QPalette colours = EditHTMLHelpDir->palette();
  colours.setColor(QPalette::Base, palette().color(automatic ? QPalette::Window : QPalette::Base));
  EditHTMLHelpDir->setPalette(colours);
  RadioButtonHTMLHelpDirUser->setChecked(!automatic);
  CheckButtons();
}

void TOptionsDialog::RadioButtonHTMLHelpDirUserClick() {
  HTMLHelpDirAutoChanged();
  if (isVisible()) {
    EditHTMLHelpDir->setFocus();
  }
}

void TOptionsDialog::EditHTMLHelpDirEnter() {
  if (!RadioButtonHTMLHelpDirUser->isChecked()) {
    RadioButtonHTMLHelpDirUser->setChecked(true);
    HTMLHelpDirAutoChanged();
  }
  ButtonBrowse->setEnabled(true);
  CheckButtons();
}

bool TOptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  // Only clicking into the field (or a program's focus) switches the choice: neither focus
  // given back when the window becomes active again or after a menu, nor the Tab key, which
  // only walks through the dialog.
  if (watched == EditHTMLHelpDir && event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MenuBarFocusReason && reason != Qt::TabFocusReason &&
        reason != Qt::BacktabFocusReason) {
      EditHTMLHelpDirEnter();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TOptionsDialog::BrowseCallback(TFolderBrowser& browser, TBrowseEvent event,
                                    const std::string& path) {
  if (event == TBrowseEvent::Initialized) {
    browser.SetSelection(WithoutTrailingSlash(GetHelpDir()));
  } else {
    browser.EnableOk(DirectoryExists(path));
  }
}

void TOptionsDialog::ButtonBrowseClick() {
  SetHelpDirAuto(false);
  const std::string path =
      browse_(GetText(textid::kHtmlHelpDir), GetHelpDir(), BIF_RETURNONLYFSDIRS,
              [this](TFolderBrowser& browser, TBrowseEvent event, const std::string& selected) {
                BrowseCallback(browser, event, selected);
              });
  if (!path.empty()) {
    SetHelpDir(path);
    EditHTMLHelpDir->setFocus();
  }
}

// The help directory group comes first, on the choice that is in force (never on the field,
// whose focus would switch to the user's directory).
void TOptionsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    (GetHelpDirAuto() ? RadioButtonHTMLHelpDirAuto : RadioButtonHTMLHelpDirUser)->setFocus();
  }
}

bool EditOptions(TOptionsDialog& form, TOptionsValues& values) {
  form.SetWaittime(values.Waittime);
  form.SetStrictPre(values.StrictPre);
  form.SetHelpDirAuto(values.HelpDirAuto);
  if (!values.HelpDirAuto) {
    form.SetHelpDir(values.HelpDir);
  }
  if (form.exec() != QDialog::Accepted) {
    return false;
  }
  values.HelpDirAuto = form.GetHelpDirAuto();
  if (!values.HelpDirAuto) {
    values.HelpDir = form.GetHelpDir();
  }
  values.Waittime = form.GetWaittime();
  values.StrictPre = form.GetStrictPre();
  return true;
}

}  // namespace quorvane
