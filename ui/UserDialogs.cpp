#include "ui/UserDialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <utility>

#include "lang/Language.h"
#include "support/TextIds.h"
#include "ui/UiText.h"

namespace quorvane {

namespace {

class TStandardUserDialogs : public IUserDialogs {
 public:
  explicit TStandardUserDialogs(QWidget* parent) : parent_(parent) {}

  void Error(const QString& text) override {
    QMessageBox::critical(parent_, UiText(GetText(textid::kCaptionError, "Error")), text);
  }

  void Message(const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent_);
    box.exec();
  }

  bool AskYesNo(const QString& question) override {
    return Ask(question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }

  TAnswer AskYesNoCancel(const QString& question) override {
    switch (Ask(question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
      case QMessageBox::Yes:
        return TAnswer::Yes;
      case QMessageBox::No:
        return TAnswer::No;
      default:
        return TAnswer::Cancel;
    }
  }

  std::optional<QString> OpenFileName(const QString& filter) override {
    QFileDialog dialog(parent_);
    dialog.setObjectName("OpenDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("htm");
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return dialog.selectedFiles().front();
  }

  std::optional<QString> SaveFileName(const QString& filter, const QString& current) override {
    QFileDialog dialog(parent_);
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("htm");
    dialog.setNameFilter(filter);
    if (!current.isEmpty()) {
      dialog.selectFile(current);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return dialog.selectedFiles().front();
  }

  std::optional<QFont> ChooseFont(const QFont& current) override {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, parent_);
    return ok ? std::optional<QFont>(font) : std::nullopt;
  }

 private:
  QString Title() const { return parent_ != nullptr ? parent_->windowTitle() : QString(); }

  QMessageBox::StandardButton Ask(const QString& question, QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, UiText(GetText(textid::kCaptionConfirmation, "Confirm")),
                    question, buttons, parent_);
    const std::pair<QMessageBox::StandardButton, uint32_t> texts[] = {
        {QMessageBox::Yes, textid::kYes},
        {QMessageBox::No, textid::kNo},
        {QMessageBox::Cancel, textid::kCancel}};
    for (const auto& [button, id] : texts) {
      if (QAbstractButton* widget = box.button(button)) {
        widget->setText(UiText(id));
      }
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
  }

  QWidget* parent_;
};

}  // namespace

std::unique_ptr<IUserDialogs> MakeStandardUserDialogs(QWidget* parent) {
  return std::make_unique<TStandardUserDialogs>(parent);
}

}  // namespace quorvane
