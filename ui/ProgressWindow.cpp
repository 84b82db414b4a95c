#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "batch/UiText.h"
#include "ui/FileNameLabel.h"

namespace quorvane {

namespace {
// The window's geometry at a text height of 13 pixels; larger fonts scale it.
constexpr int kBaseTextHeight = 13;
constexpr int kBaseClientWidth = 276;
constexpr int kBaseClientHeight = 148;
constexpr std::array<std::array<int, 4>, TProgressLayout::kControlCount> kBasePlaces = {{
    {7, 7, 267, 15},    // LabelFilename
    {7, 28, 267, 15},   // LabelAdditionalText
    {8, 49, 246, 20},   // ProgressBarMain
    {259, 49, 15, 15},  // LabelProgressor
    {8, 77, 246, 20},   // ProgressBarSub
    {92, 108, 92, 27},  // ButtonCancel
}};

int Scaled(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

void MoveUp(TProgressLayout& layout, int from, int by) {
  for (int i = from; i < TProgressLayout::kControlCount; ++i) {
    layout.Controls[i].translate(0, -by);
  }
  layout.ClientHeight -= by;
}
}  // namespace

TProgressLayout TProgressLayout::Created(double scale) {
  TProgressLayout layout;
  for (int i = 0; i < kControlCount; ++i) {
    const auto& place = kBasePlaces[i];
    layout.Controls[i] = QRect(Scaled(place[0], scale), Scaled(place[1], scale),
                               Scaled(place[2], scale), Scaled(place[3], scale));
  }
  layout.ClientWidth = Scaled(kBaseClientWidth, scale);
  layout.ClientHeight = Scaled(kBaseClientHeight, scale);
  return layout;
}

TProgressLayout TProgressLayout::ForParts(uint8_t parts) const {
  TProgressLayout layout = *this;
  if ((parts & TProgressModel::kFileName) == 0) {
    MoveUp(layout, kAdditionalText, layout.Controls[kFilename].height());
  }
  if ((parts & TProgressModel::kAdditionalText) == 0) {
    MoveUp(layout, kProgressBarMain, layout.Controls[kAdditionalText].height());
  }
  if ((parts & TProgressModel::kSubBar) == 0) {
    const QRect& main = layout.Controls[kProgressBarMain];
    const QRect& sub = layout.Controls[kProgressBarSub];
    MoveUp(layout, kButtonCancel, sub.top() - (main.top() + main.height()) + sub.height());
  }
  return layout;
}

TProgressWindow::TProgressWindow(TProgressModel& model) : model_(model) {
  setObjectName("ProgressForm");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  const double scale =
      std::max(1.0, static_cast<double>(QFontMetrics(font()).height()) / kBaseTextHeight);
  created_ = TProgressLayout::Created(scale);

  LabelFilename = new TFileNameLabel(this);
  LabelFilename->setObjectName("LabelFilename");
  LabelAdditionalText = new QLabel(this);
  LabelAdditionalText->setObjectName("LabelAdditionalText");
  LabelAdditionalText->setTextFormat(Qt::PlainText);
  ProgressBarMain = new QProgressBar(this);
  ProgressBarMain->setObjectName("ProgressBarMain");
  LabelProgressor = new QLabel(this);
  LabelProgressor->setObjectName("LabelProgressor");
  LabelProgressor->setAlignment(Qt::AlignCenter);
  QFont spinFont = font();
  spinFont.setPixelSize(created_.Controls[TProgressLayout::kProgressor].height() * 12 / 15);
  LabelProgressor->setFont(spinFont);
  ProgressBarSub = new QProgressBar(this);
  ProgressBarSub->setObjectName("ProgressBarSub");
  for (QProgressBar* bar : {ProgressBarMain, ProgressBarSub}) {
    bar->setRange(0, 100);
    bar->setTextVisible(false);
  }
  ButtonCancel = new QPushButton(this);
  ButtonCancel->setObjectName("ButtonCancel");
  // Enter must not stop a batch by chance; the button takes a click, Space or Escape, and
  // Enter only once the work is done (keyPressEvent).
  ButtonCancel->setAutoDefault(false);
  ButtonCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  connect(ButtonCancel, &QPushButton::clicked, this, &TProgressWindow::ButtonCancelClicked);

  ApplyLayout(TProgressModel::kFileName | TProgressModel::kAdditionalText |
              TProgressModel::kSubBar);
  Changed(model_);
}

TProgressWindow::~TProgressWindow() {
  if (model_.View() == this) {
    model_.SetView(nullptr);
  }
  GiveOwnerBack();
}

void TProgressWindow::ApplyLayout(uint8_t parts) {
  appliedParts_ = parts;
  const TProgressLayout layout = created_.ForParts(parts);
  LabelFilename->setGeometry(layout.Controls[TProgressLayout::kFilename]);
  LabelAdditionalText->setGeometry(layout.Controls[TProgressLayout::kAdditionalText]);
  ProgressBarMain->setGeometry(layout.Controls[TProgressLayout::kProgressBarMain]);
  LabelProgressor->setGeometry(layout.Controls[TProgressLayout::kProgressor]);
  ProgressBarSub->setGeometry(layout.Controls[TProgressLayout::kProgressBarSub]);
  ButtonCancel->setGeometry(layout.Controls[TProgressLayout::kButtonCancel]);
  LabelFilename->setVisible((parts & TProgressModel::kFileName) != 0);
  LabelAdditionalText->setVisible((parts & TProgressModel::kAdditionalText) != 0);
  ProgressBarSub->setVisible((parts & TProgressModel::kSubBar) != 0);
  setFixedSize(layout.ClientWidth, layout.ClientHeight);
}

void TProgressWindow::Changed(const TProgressModel& model) {
  if (model.Parts() != appliedParts_) {
    ApplyLayout(model.Parts());
  }
  const QString caption = UiText(model.Caption());
  if (windowTitle() != caption) {
    setWindowTitle(caption);
  }
  LabelFilename->SetPath(ShownPathText(model.FileNameLabel()));
  const QString additional = UiText(model.AdditionalText());
  if (LabelAdditionalText->text() != additional) {
    LabelAdditionalText->setText(additional);
  }
  const QString mark = UiText(model.Progressor());
  if (LabelProgressor->text() != mark) {
    LabelProgressor->setText(mark);
  }
  ProgressBarMain->setValue(std::clamp(model.MainPosition(), 0, 100));
  ProgressBarSub->setValue(std::clamp(model.SubPosition(), 0, 100));
  const QString buttonCaption = UiText(model.ButtonCaption());
  if (ButtonCancel->text() != buttonCaption) {
    ButtonCancel->setText(buttonCaption);
  }
  if (model.Button() != appliedButton_) {
    appliedButton_ = model.Button();
    ButtonCancel->setIcon(style()->standardIcon(appliedButton_ == TProgressModel::TButton::Close
                                                    ? QStyle::SP_DialogCloseButton
                                                    : QStyle::SP_DialogCancelButton));
  }
  ButtonCancel->setEnabled(model.ButtonEnabled());
  if (model.Visible() && !isVisible()) {
    ShowCentred();
  } else if (!model.Visible() && isVisible()) {
    hide();
  }
}

void TProgressWindow::ShowCentred() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (owner_ != nullptr && owner_->screen() != nullptr) {
    screen = owner_->screen();
  }
  if (screen != nullptr) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
}

void TProgressWindow::OwnerTaken(const TWindowHandle& owner) {
  GiveOwnerBack();
  owner_ = qobject_cast<QWidget*>(owner.Window());
  if (owner_ == nullptr) {
    return;
  }
  ownerHadCursor_ = owner_->testAttribute(Qt::WA_SetCursor);
  ownerCursor_ = owner_->cursor();
  owner_->setCursor(Qt::WaitCursor);
  owner_->setEnabled(false);
  // Keeps the window above its owner on the desktop; it is no child of the owner, which would
  // disable it together with the owner.
  QWidget* ownerWindow = owner_->window();
  if (ownerWindow->windowHandle() != nullptr) {
    winId();
    windowHandle()->setTransientParent(ownerWindow->windowHandle());
  }
}

void TProgressWindow::OwnerReturned(const TWindowHandle& owner) {
  if (owner_ == nullptr || owner_ != owner.Window()) {
    return;
  }
  QWidget* returned = owner_;
  GiveOwnerBack();
  if (returned->isVisible()) {
    returned->activateWindow();
    returned->setFocus();
  }
}

void TProgressWindow::GiveOwnerBack() {
  if (owner_ == nullptr) {
    return;
  }
  if (ownerHadCursor_) {
    owner_->setCursor(ownerCursor_);
  } else {
    owner_->unsetCursor();
  }
  owner_->setEnabled(true);
  if (windowHandle() != nullptr) {
    windowHandle()->setTransientParent(nullptr);
  }
  owner_ = nullptr;
}

void TProgressWindow::ButtonCancelClicked() {
  if (model_.Finished()) {
    model_.CloseRequested();
  } else {
    model_.ButtonCancelClick();
  }
}

void TProgressWindow::reject() {
  if (ButtonCancel->isEnabled()) {
    ButtonCancelClicked();
  }
}

void TProgressWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && model_.Finished()) {
    model_.CloseRequested();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TProgressWindow::closeEvent(QCloseEvent* event) {
  // The worker decides when the window goes; closing it only asks.
  event->ignore();
  model_.CloseRequested();
}

void TProgressWindow::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) {
    GiveOwnerBack();
  }
}

std::unique_ptr<TProgressWindow> InstallProgressWindow() {
  auto form = std::make_unique<TProgressWindow>(ProgressForm());
  ProgressForm().SetView(form.get());
  return form;
}

void WaitUntilProgressWindowClosed() {
  const auto windowShown = [] {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
      return qobject_cast<TProgressWindow*>(window) != nullptr && window->isVisible();
    });
  };
  if (!windowShown()) {
    return;
  }
  TProgressModel& model = ProgressForm();
  while (model.Visible() && !model.CancelRequest()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

}  // namespace quorvane
