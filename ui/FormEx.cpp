#include "ui/FormEx.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvane {
namespace {

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

}  // namespace

TFormEx::TFormEx(QWidget* parent) : QDialog(parent) {}

void TFormEx::SetTrackLimit(int index, int32_t value) {
  if (index < MinWidth || index > MaxHeight || limits_[index] == value) {
    return;
  }
  limits_[index] = value;
  // A maximum without its partner must not pin the other side to 0; a minimum partner stays
  // 0 (no limit): the screen's size as a minimum would blow the dialog up to full screen.
  const int partner = index ^ 1;
  if (limits_[partner] == 0 && partner >= MaxWidth) {
    const QSize screen = ScreenSize();
    limits_[partner] = partner == MaxWidth ? screen.width() : screen.height();
  }
  if (index <= MinHeight) {
    minSet_ = true;
  } else {
    maxSet_ = true;
  }
  ApplyTrackLimits();
}

int32_t TFormEx::TrackLimit(int index) const {
  return index >= MinWidth && index <= MaxHeight ? limits_[index] : 0;
}

// Qt keeps the limits on the widget itself; the window manager reads them from there.
void TFormEx::ApplyTrackLimits() {
  if (minSet_) {
    setMinimumSize(limits_[MinWidth], limits_[MinHeight]);
  }
  if (maxSet_) {
    setMaximumSize(limits_[MaxWidth], limits_[MaxHeight]);
  }
}

}  // namespace quorvane
