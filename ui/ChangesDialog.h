#pragma once

#include <QDialog>
#include <string_view>

#include "ui/EditorCodec.h"

class QPlainTextEdit;
class QPushButton;

namespace quorvane {

// What a compression changed, line by line: the lines it removed (marked "-") and the lines it
// put in (marked "+") among the lines it kept, each change on a tinted background. Lines are
// compared without their line ends. Escape or the button closes it.
class TChangesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TChangesDialog(QWidget* parent = nullptr);

  // Shows the change in the dialog of `owner`, made on first use, in the language's texts.
  static void Open(QWidget& owner, std::string_view before, std::string_view after,
                   TTextEncoding encoding);

  void SetTexts(const QString& caption, const QString& closeText);
  // Shows the change from `before` to `after`, two versions of a document in `encoding`.
  void ShowChange(std::string_view before, std::string_view after, TTextEncoding encoding);
  // The lines as shown, for tests.
  QString ShownText() const;

 private:
  QPlainTextEdit* view_;
  QPushButton* close_;
};

}  // namespace quorvane
