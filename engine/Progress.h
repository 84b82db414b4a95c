#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// What the engine reports while it works and how it learns of a cancel request. The progress
// window, the terminal reporter and the tests each implement it.
class IProgress {
 public:
  virtual ~IProgress() = default;

  // Appends a stage (a share of the main bar in percent) and returns its index.
  virtual int AddStage(const std::string& name, uint8_t weight) = 0;
  virtual int NextStage() = 0;
  virtual uint8_t StageWeight(int index) const = 0;
  virtual void SetStageWeight(int index, uint8_t weight) = 0;
  virtual void SetAdditionalText(const std::string& text) = 0;
  // Progress within the current stage; returns true when the user asked to cancel.
  virtual bool SetSubProgress(int8_t percent) = 0;
  // A poll that moves no bar; returns true when the user asked to cancel.
  virtual bool CancelRequested() = 0;
  // The idle hook: pending events and messages of other instances are taken in.
  virtual void CheckJobChannel() = 0;
};

// Reports to nobody and never cancels.
class TNullProgress : public IProgress {
 public:
  int AddStage(const std::string&, uint8_t) override { return stages_++; }
  int NextStage() override { return ++stage_; }
  uint8_t StageWeight(int) const override { return 0; }
  void SetStageWeight(int, uint8_t) override {}
  void SetAdditionalText(const std::string&) override {}
  bool SetSubProgress(int8_t) override { return false; }
  bool CancelRequested() override { return false; }
  void CheckJobChannel() override {}

 private:
  int stages_ = 0;
  int stage_ = 0;
};

}  // namespace quorvane
