#pragma once

#include <QObject>
#include <QPointer>

namespace quorvane {

// A window of the user interface as the layers below it see it: something they hold and hand
// back, which only the user interface looks into. Empty without a window (the batch), and
// empty again once the window is gone.
class TWindowHandle {
 public:
  TWindowHandle() = default;
  explicit TWindowHandle(QObject* window) : window_(window) {}

  QObject* Window() const { return window_.data(); }
  bool Empty() const { return window_.isNull(); }
  friend bool operator==(const TWindowHandle& a, const TWindowHandle& b) {
    return a.window_ == b.window_;
  }

 private:
  QPointer<QObject> window_;
};

}  // namespace quorvane
