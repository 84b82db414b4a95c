#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "batch/WindowHandle.h"

namespace quorvane {

class TProgressModel;

// What shows the progress: the progress window, or the terminal. It is told after every
// change and may poll for the user's Cancel in between.
class IProgressView {
 public:
  virtual ~IProgressView() = default;
  virtual void Changed(const TProgressModel& model) = 0;
  // The run gives the view its owner window (disabled while the run works) and takes it back.
  virtual void OwnerTaken(const TWindowHandle& /*owner*/) {}
  virtual void OwnerReturned(const TWindowHandle& /*owner*/) {}
  // A file's work is done, its write included: `statistics` is what it saved.
  virtual void FileDone(const std::string& /*fileName*/, const std::string& /*statistics*/) {}
};

// The one progress state of the program: caption, labels, the two bars with the stages of the
// run, the spinning mark, the Cancel/Close button and the cancel request.
class TProgressModel {
 public:
  enum TPart : uint8_t { kFileName = 1, kAdditionalText = 2, kSubBar = 4 };
  enum class TButton { Cancel, Close };
  struct TStage {
    std::string Name;
    uint8_t Weight;
  };

  TProgressModel();
  void SetView(IProgressView* view) { view_ = view; }
  IProgressView* View() const { return view_; }
  // The milliseconds the spinning mark is timed by (the tick count unless replaced).
  void SetClock(std::function<uint32_t()> clock) { clock_ = std::move(clock); }

  void Reset();
  void Start(const TWindowHandle& owner, const std::string& caption, uint8_t parts, bool show);
  void SetFileNameLabel(const std::string& path);
  void SetAdditionalText(const std::string& text);
  void SetCaption(const std::string& caption);

  int AddStage(const std::string& name, uint8_t weight);
  int StageCount() const { return static_cast<int>(stages_.size()); }
  uint8_t StageWeight(int index) const;
  void SetStageWeight(int index, uint8_t weight);
  void SetStage(uint8_t index);
  int NextStage();

  // Both return the cancel request; a negative percent moves no bar.
  bool SetProgress(int8_t percent);
  bool SetSubProgress(int8_t percent);

  void SetCancelAllowed(bool value);
  void SetCancelRequest(bool value);
  void SetFinished();
  // Tells the view that the file `fileName` is done; with the write behind the run this comes
  // after the run has finished, and after the next file's run has begun.
  void ReportFileDone(const std::string& fileName, const std::string& statistics);
  void Finish();
  // The button in its Cancel state was pressed.
  void ButtonCancelClick();
  // The window's close box, or the button in its Close state.
  void CloseRequested() { SetCancelRequest(true); }

  const std::string& Caption() const { return caption_; }
  const std::string& FileNameLabel() const { return fileName_; }
  const std::string& AdditionalText() const { return additionalText_; }
  const std::string& Progressor() const { return progressor_; }
  uint8_t Parts() const { return parts_; }
  int MainPosition() const { return mainPosition_; }
  int SubPosition() const { return subPosition_; }
  bool CancelRequest() const { return cancelRequest_; }
  bool CancelAllowed() const { return cancelAllowed_; }
  TButton Button() const { return button_; }
  const std::string& ButtonCaption() const { return buttonCaption_; }
  bool ButtonEnabled() const { return buttonEnabled_; }
  bool Visible() const { return visible_; }
  bool Finished() const { return button_ == TButton::Close; }
  uint8_t Stage() const { return stage_; }
  const std::vector<TStage>& Stages() const { return stages_; }

 private:
  bool SetBarPercent(int& position, int8_t percent);
  int WeightsBefore(uint8_t index) const;
  void Notify();

  IProgressView* view_ = nullptr;
  std::function<uint32_t()> clock_;
  TWindowHandle owner_;
  std::string caption_;
  std::string fileName_;
  std::string additionalText_;
  std::string progressor_;
  std::string buttonCaption_;
  uint8_t parts_ = kFileName | kAdditionalText | kSubBar;
  int mainPosition_ = 0;
  int subPosition_ = 0;
  bool cancelRequest_ = false;
  bool cancelAllowed_ = true;
  bool buttonEnabled_ = true;
  bool visible_ = false;
  TButton button_ = TButton::Cancel;
  uint8_t spinIndex_ = 0;
  uint32_t spinTime_ = 0;
  std::vector<TStage> stages_;
  uint8_t stage_ = 0;
};

// The one progress model, created on first use.
TProgressModel& ProgressForm();
bool ProgressFormExists();

}  // namespace quorvane
