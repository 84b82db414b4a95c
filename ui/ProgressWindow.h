#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "batch/ProgressModel.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvane {

class TFileNameLabel;

// Where the progress window's six controls stand and how high its client area is.
struct TProgressLayout {
  enum TControl {
    kFilename,
    kAdditionalText,
    kProgressBarMain,
    kProgressor,
    kProgressBarSub,
    kButtonCancel,
    kControlCount
  };
  std::array<QRect, kControlCount> Controls;
  int ClientWidth = 0;
  int ClientHeight = 0;

  // The full layout of a freshly created window, every length times `scale`.
  static TProgressLayout Created(double scale);
  // The layout after Start with `parts`: each part left out moves what follows it up by its
  // height, and the window shrinks by the same amount.
  TProgressLayout ForParts(uint8_t parts) const;
};

// The progress window: a view of the one progress model. The worker keeps the thread and
// changes the model; the window follows each change and is repainted, and its button handled,
// whenever the worker lets events through.
class TProgressWindow : public QDialog, public IProgressView {
  Q_OBJECT

 public:
  explicit TProgressWindow(TProgressModel& model);
  ~TProgressWindow() override;

  void Changed(const TProgressModel& model) override;
  void OwnerTaken(const TWindowHandle& owner) override;
  void OwnerReturned(const TWindowHandle& owner) override;

  TFileNameLabel* LabelFilename = nullptr;
  QLabel* LabelAdditionalText = nullptr;
  QProgressBar* ProgressBarMain = nullptr;
  QLabel* LabelProgressor = nullptr;
  QProgressBar* ProgressBarSub = nullptr;
  QPushButton* ButtonCancel = nullptr;

 public slots:
  // Escape: the Cancel button while the work runs, closing the window once it is done.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Enter closes the finished window, as its Close button does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ButtonCancelClicked();
  void ApplyLayout(uint8_t parts);
  void ShowCentred();
  void GiveOwnerBack();

  TProgressModel& model_;
  TProgressLayout created_;
  uint8_t appliedParts_ = 0;
  TProgressModel::TButton appliedButton_ = TProgressModel::TButton::Cancel;
  QPointer<QWidget> owner_;
  bool ownerHadCursor_ = false;
  QCursor ownerCursor_;
};

// Makes a progress window the view of the progress model; it stays the view until destroyed.
std::unique_ptr<TProgressWindow> InstallProgressWindow();

// Handles events until the user has closed the finished progress window (or the window is no
// longer shown). Returns at once when no progress window is on screen.
void WaitUntilProgressWindowClosed();

}  // namespace quorvane
