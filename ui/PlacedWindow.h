#pragma once

#include "batch/SettingsStore.h"

class QWidget;

namespace quorvane {

// The placement of a top-level widget as the settings keep it, under the widget's objectName.
class TPlacedWindow : public IPlacedWindow {
 public:
  explicit TPlacedWindow(QWidget& window) : window_(window) {}

  std::string ComponentName() const override;
  TWindowPlacement Placement() const override;
  // A rectangle smaller than 100 pixels either way is ignored; one on a screen that is no
  // longer there is moved onto the primary screen.
  void SetNormalRect(const TWindowPlacement& rect) override;
  // Maximized or normal: a window closed minimized opens normally.
  void SetWindowState(int32_t state) override;
  void CenterOnScreen() override;

 private:
  QWidget& window_;
};

}  // namespace quorvane
