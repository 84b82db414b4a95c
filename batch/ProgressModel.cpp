#include "batch/ProgressModel.h"

#include <memory>

#include "batch/EventPump.h"
#include "lang/Language.h"
#include "platform/System.h"
#include "support/Rounding.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {
// "|", "/", an em dash (Windows-1252) and "\" in turn.
constexpr const char* kSpinMarks[] = {"|", "/", "\x97", "\\"};
constexpr uint32_t kSpinInterval = 300;

std::unique_ptr<TProgressModel>& Instance() {
  static std::unique_ptr<TProgressModel> instance;
  return instance;
}
}  // namespace

TProgressModel& ProgressForm() {
  if (!Instance()) {
    Instance() = std::make_unique<TProgressModel>();
  }
  return *Instance();
}

bool ProgressFormExists() {
  return Instance() != nullptr;
}

TProgressModel::TProgressModel()
    : progressor_("\x97"), buttonCaption_(CapText(GetText(textid::kCancel, "Cancel"))) {}

void TProgressModel::Notify() {
  if (view_ != nullptr) {
    view_->Changed(*this);
  }
}

void TProgressModel::Reset() {
  additionalText_.clear();
  fileName_.clear();
  caption_.clear();
  progressor_.clear();
  Notify();
  ProcessPendingEvents(true);
  owner_ = {};
  mainPosition_ = 0;
  subPosition_ = 0;
  SetCancelAllowed(true);
  SetCancelRequest(false);
  button_ = TButton::Cancel;
  buttonCaption_ = CapText(GetText(textid::kCancel, buttonCaption_));
  buttonEnabled_ = true;
  spinIndex_ = 0;
  parts_ = kFileName | kAdditionalText | kSubBar;
  stages_.clear();
  SetStage(0);
  Notify();
}

void TProgressModel::Start(const TWindowHandle& owner, const std::string& caption, uint8_t parts,
                           bool show) {
  caption_ = caption;
  parts_ = parts & (kFileName | kAdditionalText | kSubBar);
  owner_ = owner;
  if (!owner_.Empty() && view_ != nullptr) {
    view_->OwnerTaken(owner_);
  }
  Notify();
  ProcessPendingEvents(true);
  if (show) {
    visible_ = true;
    Notify();
  }
}

void TProgressModel::SetFileNameLabel(const std::string& path) {
  fileName_ = path;
  Notify();
}

void TProgressModel::SetAdditionalText(const std::string& text) {
  additionalText_ = text;
  Notify();
  ProcessPendingEvents();
}

void TProgressModel::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify();
}

int TProgressModel::AddStage(const std::string& name, uint8_t weight) {
  stages_.push_back({name, weight});
  return static_cast<uint8_t>(stages_.size() - 1);
}

uint8_t TProgressModel::StageWeight(int index) const {
  return index >= 0 && index < StageCount() ? stages_[index].Weight : 0;
}

void TProgressModel::SetStageWeight(int index, uint8_t weight) {
  if (index >= 0 && index < StageCount()) {
    stages_[index].Weight = weight;
  }
}

// The weights of the stages before `index`, summed in 8 bits as the bar always did.
int TProgressModel::WeightsBefore(uint8_t index) const {
  uint8_t sum = 0;
  for (int i = 0; i < index && i < StageCount(); ++i) {
    sum = static_cast<uint8_t>(sum + stages_[i].Weight);
  }
  return sum;
}

void TProgressModel::SetStage(uint8_t index) {
  if (index == stage_) {
    return;
  }
  stage_ = index;
  mainPosition_ = WeightsBefore(index);
  if (StageCount() > index) {
    subPosition_ = 0;
  }
  Notify();
}

int TProgressModel::NextStage() {
  SetStage(static_cast<uint8_t>(stage_ + 1));
  return stage_;
}

bool TProgressModel::SetBarPercent(int& position, int8_t percent) {
  if (percent >= 0) {
    position = static_cast<int>(RoundHalfEven(100 * 0.01 * percent));
  }
  if (cancelRequest_) {
    return true;
  }
  const uint32_t now = clock_ ? clock_() : TickCount();
  if (now - spinTime_ >= kSpinInterval) {
    progressor_ = kSpinMarks[spinIndex_];
    spinIndex_ = static_cast<uint8_t>((spinIndex_ + 1) % 4);
    spinTime_ = now;
    Notify();
    ProcessPendingEvents(true);
  }
  return cancelRequest_;
}

bool TProgressModel::SetProgress(int8_t percent) {
  if ((parts_ & kSubBar) != 0) {
    return SetSubProgress(percent);
  }
  return SetBarPercent(mainPosition_, percent);
}

// The main bar moves before the sub bar's report, so that a view told at its spin step sees
// both bars where they are.
bool TProgressModel::SetSubProgress(int8_t percent) {
  if (percent >= 0) {
    mainPosition_ = static_cast<int>(
        RoundHalfEven(WeightsBefore(stage_) + StageWeight(stage_) * 0.01 * percent));
  }
  return SetBarPercent(subPosition_, percent);
}

void TProgressModel::SetCancelAllowed(bool value) {
  if (value != cancelAllowed_) {
    cancelAllowed_ = value;
    buttonEnabled_ = value;
    Notify();
  }
}

void TProgressModel::SetCancelRequest(bool value) {
  if (value != cancelRequest_ && cancelAllowed_) {
    cancelRequest_ = value;
  }
}

void TProgressModel::SetFinished() {
  progressor_.clear();
  button_ = TButton::Close;
  buttonCaption_ = CapText(GetText(textid::kClose, "Close"));
  Notify();
}

void TProgressModel::ReportFileDone(const std::string& fileName, const std::string& statistics) {
  if (view_ != nullptr) {
    view_->FileDone(fileName, statistics);
  }
}

void TProgressModel::Finish() {
  if (!owner_.Empty() && view_ != nullptr) {
    view_->OwnerReturned(owner_);
  }
  visible_ = false;
  Notify();
}

void TProgressModel::ButtonCancelClick() {
  if (cancelRequest_) {
    return;
  }
  SetAdditionalText(CapText(GetText(textid::kCancelRequested)) + ". " +
                    CapText(GetText(textid::kPleaseWait)) + "...");
  SetCancelRequest(true);
  buttonEnabled_ = false;
  Notify();
  ProcessPendingEvents(true);
}

}  // namespace quorvane
