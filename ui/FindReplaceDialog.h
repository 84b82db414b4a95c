#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace quorvane {

// The modeless find and replace dialogs: search text, replacement text (replace only) and the
// match-case box; the search always runs forward.
class TFindReplaceDialog : public QDialog {
  Q_OBJECT

 public:
  enum class TKind { Find, Replace };

  TFindReplaceDialog(TKind kind, QWidget* parent);

  QString FindText() const;
  void SetFindText(const QString& text);
  QString ReplaceText() const;
  bool MatchCase() const;
  // Whether the last replace action was Replace All.
  bool ReplaceAll() const { return replaceAll_; }

 signals:
  void FindNext();
  void ReplaceRequested();
  void Shown();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* findText_;
  QLineEdit* replaceText_ = nullptr;
  QCheckBox* matchCase_;
  bool replaceAll_ = false;
};

}  // namespace quorvane
