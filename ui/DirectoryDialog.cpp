#include "ui/DirectoryDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <vector>

#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

TDirectoryDialog::TDirectoryDialog(QWidget* parent)
    : QDialog(parent), browse_(DefaultFolderBrowser()) {
  setObjectName("FormChooseDir");
  CreateComponents();
  ApplyTexts();
  StatusOk = true;
  connect(EditDir, &QLineEdit::textChanged, this, &TDirectoryDialog::CheckOk);
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonBrowse, &QPushButton::clicked, this, &TDirectoryDialog::ButtonBrowseClick);
  setFixedSize(sizeHint().expandedTo(QSize(458, 107)));
}

void TDirectoryDialog::CreateComponents() {
  LabelDirectory = new QLabel("Directory", this);
  EditDir = new QLineEdit(this);
  ButtonBrowse = new QPushButton("Browse", this);
  ButtonOK = new QPushButton("OK", this);
  ButtonOK->setDefault(true);
  ButtonOK->setEnabled(false);
  ButtonCancel = new QPushButton("Cancel", this);

  auto* grid = new QGridLayout;
  grid->addWidget(LabelDirectory, 0, 0, 1, 2);
  grid->addWidget(EditDir, 1, 0);
  grid->addWidget(ButtonBrowse, 1, 1);
  grid->setColumnStretch(0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {ButtonOK, ButtonCancel}) {
    button->setMinimumSize(90, 27);
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);

  const std::pair<QObject*, const char*> names[] = {
      {LabelDirectory, "LabelDirectory"}, {EditDir, "EditDir"},
      {ButtonBrowse, "ButtonBrowse"},     {ButtonOK, "ButtonOK"},
      {ButtonCancel, "ButtonCancel"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

void TDirectoryDialog::ApplyTexts() {
  setWindowTitle(UiText(CapText(GetText(textid::kChooseDirectory, "Choose directory"))));
  std::vector<std::string> captions = {
      CapText(GetText(textid::kDirectory, "Directory"), ":"),
      CapText(GetText(textid::kBrowse, "Browse"), "..."),
  };
  AssignAccelerators(captions);
  LabelDirectory->setText(UiText(captions[0]));
  ButtonBrowse->setText(UiText(captions[1]));
  ButtonCancel->setText(UiText(CapText(GetText(textid::kCancel, "Cancel"))));
  ButtonOK->setText(UiText(CapText(GetText(textid::kOk, "OK"))));
  LabelDirectory->setBuddy(EditDir);
}

void TDirectoryDialog::SetDir(const std::string& dir) {
  EditDir->setText(PathText(dir));
}

std::string TDirectoryDialog::GetDir() const {
  const std::string text = FilePath(EditDir->text());
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) {
    ++first;
  }
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) {
    --last;
  }
  return text.substr(first, last - first);
}

void TDirectoryDialog::CheckOk() {
  ButtonOK->setEnabled(!EditDir->text().isEmpty());
}

void TDirectoryDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    CheckOk();
    EditDir->setFocus();
  }
}

void TDirectoryDialog::BrowseCallback(TFolderBrowser& browser, TBrowseEvent event,
                                      const std::string& path) {
  if (event == TBrowseEvent::Initialized) {
    browser.SetSelection(WithoutTrailingSlash(GetDir()));
    return;
  }
  if (OnCheckDir) {
    OnCheckDir(path, StatusText, StatusOk);
    browser.SetStatusText(StatusText);
    browser.EnableOk(StatusOk);
  }
}

void TDirectoryDialog::ButtonBrowseClick() {
  const uint32_t flags = BIF_RETURNONLYFSDIRS | (StatusText.empty() ? 0 : BIF_STATUSTEXT);
  const std::string path =
      browse_(BrowseTitle, GetDir(), flags,
              [this](TFolderBrowser& browser, TBrowseEvent event, const std::string& selected) {
                BrowseCallback(browser, event, selected);
              });
  if (!path.empty()) {
    SetDir(path);
  }
}

}  // namespace quorvane
