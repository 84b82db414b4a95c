#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace quorvane {

namespace {
std::optional<QString> Run(QFileDialog& dialog, const QString& filter) {
  dialog.setDefaultSuffix("htm");
  dialog.setNameFilter(filter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().front();
}
}  // namespace

std::optional<QString> ChooseFileToOpen(QWidget* parent, const QString& filter) {
  QFileDialog dialog(parent);
  dialog.setObjectName("OpenDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return Run(dialog, filter);
}

std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& filter,
                                        const QString& current) {
  QFileDialog dialog(parent);
  dialog.setObjectName("SaveDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!current.isEmpty()) {
    dialog.selectFile(current);
  }
  return Run(dialog, filter);
}

}  // namespace quorvane
