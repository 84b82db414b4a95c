#include "batch/Document.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "batch/ClientServer.h"
#include "batch/EventPump.h"
#include "batch/Job.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/IncludeFileReader.h"
#include "platform/System.h"
#include "support/Rounding.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/UnicodeText.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

// The engine's progress and idle hooks on the program's progress window.
class TRunProgress : public IProgress {
 public:
  explicit TRunProgress(TDocument& document) : document_(document) {}
  int AddStage(const std::string& name, uint8_t weight) override {
    return ProgressForm().AddStage(name, weight);
  }
  int NextStage() override { return ProgressForm().NextStage(); }
  uint8_t StageWeight(int index) const override { return ProgressForm().StageWeight(index); }
  void SetStageWeight(int index, uint8_t weight) override {
    ProgressForm().SetStageWeight(index, weight);
  }
  void SetAdditionalText(const std::string& text) override {
    ProgressForm().SetAdditionalText(text);
  }
  bool SetSubProgress(int8_t percent) override { return ProgressForm().SetSubProgress(percent); }
  bool KeepRunning() override { return document_.KeepRunning(); }
  void CheckMailslot() override { quorvane::CheckMailslot(); }

 private:
  TDocument& document_;
};

// A pass that stopped by itself leaves the document as it was: say which and why.
void ReportStoppedPass(TStopReason stop, const std::string& fileName) {
  const std::string name = fileName.empty() ? GetText(textid::kUnnamedDocument) : fileName;
  switch (stop) {
    case TStopReason::Unterminated:
      ShowErrorMessage(textid::kDirectiveUnterminated, name);
      break;
    case TStopReason::TooDeep:
      ShowErrorMessage(textid::kDirectivesTooDeep, name);
      break;
    case TStopReason::TooLarge:
      ShowErrorMessage(textid::kIncludesTooLarge, name);
      break;
    case TStopReason::None:
    case TStopReason::Cancelled:
      break;
  }
}

// Gives the progress window back on every way out of an editor run.
class TFinishGuard {
 public:
  ~TFinishGuard() { ProgressForm().Finish(); }
};

// The statistics of a page that was compressed as UTF-8, in the bytes of its own encoding. The
// pass removes ASCII characters only (white space, carriage returns, the "/" of " />"), one code
// unit of `unitSize` bytes each; the content of marked blocks is the one exception.
void CountInPageBytes(TCompressionStats& stats, size_t pageSize, size_t unitSize) {
  const double saved = static_cast<double>(stats.Saved) * static_cast<double>(unitSize);
  const double before = static_cast<double>(pageSize) + saved;
  stats.Saved = static_cast<int32_t>(
      std::min(saved, static_cast<double>(std::numeric_limits<int32_t>::max())));
  stats.Percent = before == 0 ? 0 : static_cast<uint8_t>(RoundHalfEven(saved / before * 100.0));
}

}  // namespace

std::string StatisticsLine(const TCompressionStats& stats) {
  return std::to_string(stats.Percent) + " % (" + std::to_string(stats.Saved) + " " +
         CapText(GetText(textid::kStatisticsUnit)) + ")";
}

void TDocument::SetFileName(const std::string& name) {
  if (name != fileName_) {
    fileName_ = name;
    if (NameChanged) {
      NameChanged();
    }
  }
}

bool TDocument::GetModified() const {
  return host_ ? host_->EditorModified() : modified_;
}

void TDocument::SetModified(bool value) {
  if (GetModified() == value) {
    return;
  }
  if (host_ != nullptr) {
    host_->SetEditorModified(value);
  } else {
    modified_ = value;
  }
}

bool TDocument::KeepRunning() {
  CheckMailslot();
  if (ProgressFormExists() && ProgressForm().Visible()) {
    return !ProgressForm().SetProgress(-1);
  }
  return true;
}

bool TDocument::CompressText(std::string& text, const std::string& fileName,
                             TCompressionStats& stats) {
  TRunProgress progress(*this);
  TIncludeFileReader files(fileName);
  TEngineServices services{progress, LanguageTexts(), files};
  if (!preparedTags_ || !preparedTags_->Tags().Equals(TagList)) {
    preparedTags_ = std::make_unique<TPreparedTags>(TagList);
  }
  const TStopReason stop = quorvane::CompressText(
      text, fileName, *preparedTags_, StrictPre ? TProtection::StrictPre : TProtection::Elements,
      stats, services);
  ReportStoppedPass(stop, fileName);
  return stop != TStopReason::None;
}

bool TDocument::CompressPage(std::string& page, const std::string& fileName,
                             TCompressionStats& stats) {
  const TUnicodeForm form = MarkedUnicodeForm(page);
  if (form == TUnicodeForm::None) {
    return CompressText(page, fileName, stats);
  }
  std::optional<std::string> text = DecodeUnicode(page, form);
  if (!text) {
    ShowErrorMessage(textid::kUnicodePageNotDecodable, fileName);
    return false;
  }
  if (CompressText(*text, fileName, stats)) {
    return true;
  }
  if (stats.Modified) {
    page = EncodeUnicode(*text, form);
  }
  CountInPageBytes(stats, page.size(), CodeUnitSize(form));
  return false;
}

void TDocument::StartProgress(const std::string& fileName, const TWindowHandle& owner) {
  TProgressModel& progress = ProgressForm();
  progress.Reset();
  if (!fileName.empty()) {
    progress.SetFileNameLabel(fileName);
    progress.Start(
        owner, JobCaption(),
        TProgressModel::kFileName | TProgressModel::kAdditionalText | TProgressModel::kSubBar,
        !progress.Visible());
  } else if (!progress.Visible()) {
    progress.Start(owner, JobCaption(), TProgressModel::kAdditionalText | TProgressModel::kSubBar,
                   true);
  }
  progress.SetAdditionalText(CapText(GetText(textid::kFetchingText), "..."));
  ProcessPendingEvents(true);
}

bool TDocument::Compress(const std::string& fileName, bool keepDate) {
  return host_ != nullptr ? CompressEditor(fileName) : CompressFile(fileName, keepDate);
}

bool TDocument::CompressFile(const std::string& fileName, bool keepDate) {
  if (finisher_.PendingIs(fileName)) {
    FinishPendingFile();  // never read a file while it is being written
  }
  StartProgress(fileName, {});
  TProgressModel& progress = ProgressForm();
  std::string text;
  TFinishedFile finished{fileName, std::nullopt, std::nullopt, MarkFilesDone};
  bool failed = false;
  if (ReadWholeFile(fileName, text).Error == TFileError::None) {
    CheckMailslot();
    // The date can only be given back to a file that may be written.
    if (keepDate && !IsReadOnlyFile(fileName)) {
      finished.Stamp = GetFileTime(fileName);
    }
  } else {
    text.clear();
    failed = true;
    Messages().Error(CapText(ReplaceAll(GetText(textid::kFileCannotBeOpened), "%s", fileName)));
  }
  TCompressionStats stats;
  if (CompressPage(text, fileName, stats)) {
    return true;
  }
  progress.SetAdditionalText(StatisticsLine(stats));
  // A cancel that came after the pass still leaves the file as it was.
  if (stats.Modified && progress.CancelRequest()) {
    failed = true;
  } else if (stats.Modified) {
    finished.Text = std::move(text);
  }
  const bool writeBehind = !WaitAfterFile && finished.Text;
  if (writeBehind) {
    FinishPendingFile();
  } else if (!failed && !FinishFile(finished)) {
    Messages().Error(CapText(GetText(textid::kFileWriteError)));
  }
  progress.SetFinished();
  if (writeBehind) {
    finisher_.Start(std::move(finished));
  }
  WaitAfterFinishedFile();
  if (stats.Modified) {
    SetModified(true);
  }
  return false;
}

void TDocument::FinishPendingFile() {
  if (finisher_.Wait()) {
    Messages().Error(CapText(GetText(textid::kFileWriteError)));
  }
}

void TDocument::WaitAfterFinishedFile() {
  if (!WaitAfterFile) {
    return;
  }
  TProgressModel& progress = ProgressForm();
  const uint32_t start = TickCount();
  const auto wait = static_cast<uint32_t>(std::max<int32_t>(Waittime, 0));
  while (!progress.CancelRequest() && TickCount() - start < wait) {
    // The finished window is on screen: its Close button and repaints are handled every time.
    ProcessPendingEvents(true);
    CheckMailslot();
    if (TickCount() - start < wait + 100) {
      SleepMilliseconds(100);
    }
  }
}

bool TDocument::CompressEditor(const std::string& fileName) {
  TFinishGuard finish;
  StartProgress(fileName, host_->OwnerWindow());
  // The editor cannot change while the run works (the progress window disables it), so the
  // text fetched once tells whether the result differs.
  const std::string original = host_->EditorText();
  std::string text = original;
  TCompressionStats stats;
  if (CompressPage(text, fileName, stats)) {
    return true;
  }
  TProgressModel& progress = ProgressForm();
  progress.SetAdditionalText(StatisticsLine(stats));
  if (original != text) {
    host_->SetEditorText(text);
  }
  progress.SetFinished();
  host_->WaitUntilProgressClosed();
  if (stats.Modified) {
    SetModified(true);
  }
  return false;
}

}  // namespace quorvane
