#include "ui/PlacedWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quorvane {

std::string TPlacedWindow::ComponentName() const {
  return window_.objectName().toStdString();
}

TWindowPlacement TPlacedWindow::Placement() const {
  const QRect rect = window_.isMaximized() || window_.isMinimized() ? window_.normalGeometry()
                                                                    : window_.geometry();
  TWindowPlacement placement;
  placement.State = window_.isMaximized() ? 2 : (window_.isMinimized() ? 1 : 0);
  placement.Left = rect.left();
  placement.Top = rect.top();
  placement.Right = rect.left() + rect.width();
  placement.Bottom = rect.top() + rect.height();
  return placement;
}

void TPlacedWindow::SetNormalRect(const TWindowPlacement& rect) {
  const int width = rect.Right - rect.Left;
  const int height = rect.Bottom - rect.Top;
  if (width < 100 || height < 100) {
    return;
  }
  QRect wanted(rect.Left, rect.Top, width, height);
  if (QGuiApplication::screenAt(wanted.center()) == nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      wanted.moveCenter(screen->availableGeometry().center());
    }
  }
  window_.setGeometry(wanted);
}

void TPlacedWindow::SetWindowState(int32_t state) {
  // Starting hidden would only puzzle.
  window_.setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TPlacedWindow::CenterOnScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window_.move(area.left() + (area.width() - window_.width()) / 2,
                 area.top() + (area.height() - window_.height()) / 2);
  }
}

}  // namespace quorvane
