#pragma once

#include <QDialog>
#include <cstdint>

namespace quorvane {

// A resizable dialog that can limit the size to which the user drags it.
class TFormEx : public QDialog {
  Q_OBJECT

 public:
  enum TTrackLimit { MinWidth = 0, MinHeight = 1, MaxWidth = 2, MaxHeight = 3 };

  explicit TFormEx(QWidget* parent = nullptr);

  // Sets one limit. A maximum whose partner is still 0 gives the partner the screen's size.
  void SetTrackLimit(int index, int32_t value);
  int32_t TrackLimit(int index) const;
  bool MinTrackSet() const { return minSet_; }
  bool MaxTrackSet() const { return maxSet_; }

 private:
  void ApplyTrackLimits();

  int32_t limits_[4] = {0, 0, 0, 0};
  bool minSet_ = false;
  bool maxSet_ = false;
};

}  // namespace quorvane
