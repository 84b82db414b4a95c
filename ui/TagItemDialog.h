#pragma once

#include <cstdint>

#include "ui/FormDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quorvane {

// The tag item dialog: the name of one tag definition and how many of its occurrences are
// treated (the box "treat all" stands for 0).
class TTagItemDialog : public TFormDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 123;

  explicit TTagItemDialog(QWidget* parent = nullptr);

  // A count other than 0 sets the spin edit; 0 ticks "treat all" and disables the spin edit.
  void SetCount(uint32_t count);
  uint32_t GetCount() const;
  // Back to an empty entry that treats all occurrences, the spin edit at 1.
  void ResetItemDialog();
  void CheckButtons();
  void CheckBoxTreatallClick();
  void FormShow() override;

  QLabel* Label1;
  QLineEdit* EditTagname;
  QCheckBox* CheckBoxTreatall;
  QLabel* Label2;
  QSpinBox* SpinEdit1;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  QPushButton* ButtonHelp;

 signals:
  void HelpRequested(int helpContext);

 private:
  void CreateComponents();
  void ApplyTexts();
};

}  // namespace quorvane
