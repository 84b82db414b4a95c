#include "batch/Document.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "batch/ClientServer.h"
#include "batch/EventPump.h"
#include "batch/IncludeFileReader.h"
#include "batch/Job.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "engine/Directives.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Rounding.h"
#include "support/ShownName.h"
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
  bool CancelRequested() override { return document_.CancelRequested(); }
  void CheckJobChannel() override { quorvane::CheckJobChannel(); }

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

// Reads an include file only once a write still pending for it is done, so that a document
// includes what an earlier file of the batch became, not what it was.
class TWrittenIncludes : public IIncludeFiles {
 public:
  TWrittenIncludes(IIncludeFiles& files, std::function<void(const std::string&)> awaitWrite)
      : files_(files), awaitWrite_(std::move(awaitWrite)) {}
  TResult Load(const std::string& path, size_t maxSize, std::string& content) override {
    awaitWrite_(path);
    return files_.Load(path, maxSize, content);
  }

 private:
  IIncludeFiles& files_;
  std::function<void(const std::string&)> awaitWrite_;
};

std::string WriteFailureMessage(TFileError error, const std::string& file) {
  switch (error) {
    case TFileError::Changed:
      return NameMessage(textid::kFileChangedMeanwhile, file,
                         "file %s was changed by another program during the compression and is "
                         "left as it is.");
    case TFileError::NoJournal:
      return NameMessage(textid::kFileNoJournal, file,
                         "file %s can only be rewritten where it lies (it has several names, or "
                         "its folder allows no new file), and no copy of its old content could "
                         "be kept; it is left as it is.");
    case TFileError::AccessDenied:
      return NameMessage(textid::kFileWriteProtected, file);
    default:
      return NameMessage(textid::kFileCannotBeWritten, file, "file %s cannot be written.");
  }
}

// Reads the file whole, after putting back what an interrupted write of an earlier run left
// half-done in it; false after the message, with `text` empty. `written(status)` finishes the
// writes in hand of the file that `status` describes (of every file: nullptr, for one that
// could not be read) and says whether there were any; the file is then read again.
bool ReadDocumentFile(const std::string& file, std::string& text, TReadFile& read,
                      const std::function<bool(const struct stat*)>& written) {
  if (ReadWholeFile(file, text, read).Error != TFileError::None) {
    if (written(nullptr)) {
      return ReadDocumentFile(file, text, read, written);
    }
    text.clear();
    ShowErrorMessage(textid::kFileCannotBeOpened, file);
    return false;
  }
  if (written(&read.Status)) {
    return ReadDocumentFile(file, text, read, written);
  }
  const TJournalRestore restore = RestoreFromJournal(read.Location, read.Status);
  switch (restore.Status) {
    case TJournalRestore::TStatus::None:
      return true;
    case TJournalRestore::TStatus::Restored:
      Messages().Information(
          NameMessage(textid::kFileRestored, file,
                      "file %s was put back to its content from before an interrupted write."),
          "Quorvane");
      return ReadDocumentFile(file, text, read, written);
    case TJournalRestore::TStatus::Failed:
      break;
  }
  text.clear();
  Messages().Error(NameMessage(textid::kFileNotRestored, file,
                               "file %s was left half-written by an interrupted write and cannot "
                               "be put back yet; it is left as it is, and its old content is "
                               "kept in") +
                   " " + ShownName(restore.JournalPath) + ".");
  return false;
}

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

TFileSizes SizesOf(const TCompressionStats& stats, size_t result) {
  return {result + static_cast<size_t>(stats.Saved), result};
}

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

bool TDocument::CancelRequested() {
  CheckJobChannel();
  return ProgressFormExists() && ProgressForm().Visible() && ProgressForm().SetProgress(-1);
}

bool TDocument::CompressText(std::string& text, const std::string& fileName,
                             TCompressionStats& stats) {
  TRunProgress progress(*this);
  TIncludeFileReader reader(fileName);
  TWrittenIncludes files(reader, [this](const std::string& path) {
    if (finisher_.PendingIs(path)) {
      FinishPendingFile();
    }
  });
  TEngineServices services{progress, LanguageTexts(), files};
  const TStopReason stop =
      quorvane::CompressText(text, fileName, *PreparedTags(), Protection(), stats, services);
  ReportStoppedPass(stop, fileName);
  return stop != TStopReason::None;
}

const std::shared_ptr<const TPreparedTags>& TDocument::PreparedTags() {
  if (!preparedTags_ || !preparedTags_->Tags().Equals(TagList)) {
    preparedTags_ = std::make_shared<const TPreparedTags>(TagList);
  }
  return preparedTags_;
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
  // Keep the lines of one job under its caption.
  if (!pendingReports_.empty() && JobCaption() != pendingReports_.back().Caption) {
    FinishPendingFile();
  }
  StartProgress(fileName, {});
  TProgressModel& progress = ProgressForm();
  std::string text;
  TFinishedFile finished;
  finished.Name = fileName;
  finished.MarkDone = MarkFilesDone;
  finished.Target = OutputFile;
  // A file in hand is read once it is written, whatever name it was reached by; asking the
  // file that was read for its identity costs nothing more.
  const auto written = [this](const struct stat* status) {
    if (!finisher_.Pending() ||
        (status != nullptr && !finisher_.PendingHas({status->st_dev, status->st_ino}))) {
      return false;
    }
    FinishPendingFile();
    return true;
  };
  bool failed = !ReadDocumentFile(fileName, text, finished.File, written);
  if (!failed) {
    CheckJobChannel();
    // The date can only be given back to a file that may be written; a result elsewhere
    // always takes it.
    if (keepDate && (!OutputFile.empty() || !IsReadOnly(finished.File.Status))) {
      const timespec& modified = finished.File.Status.st_mtim;
      finished.Stamp = TFileTime{modified.tv_sec, modified.tv_nsec};
    }
  }
  if (!failed && CanCompressAside(text)) {
    finished.Text = std::move(text);
    finished.Compress = TCompressionAside{PreparedTags(), Protection()};
    HandOver(std::move(finished), {{}, JobCaption(), {}});
    return false;
  }
  TCompressionStats stats;
  if (CompressPage(text, fileName, stats)) {
    return true;
  }
  progress.SetAdditionalText(StatisticsLine(stats));
  const TFileSizes sizes = SizesOf(stats, text.size());
  // A cancel that came after the pass still leaves the file as it was.
  if (stats.Modified && progress.CancelRequest()) {
    failed = true;
  } else if (stats.Modified || (!failed && !OutputFile.empty())) {
    finished.Text = std::move(text);
  }
  if (!WaitAfterFile && finished.Text) {
    // Written while the next files are compressed; its statistics come once it is written,
    // after those of the files before it.
    HandOver(std::move(finished), {StatisticsLine(stats), JobCaption(), sizes});
  } else {
    FinishPendingFile();  // the files before this one are reported first
    if (!failed) {
      if (const TFileError error = FinishFile(finished); error != TFileError::None) {
        Messages().Error(WriteFailureMessage(error, finished.Written()));
        stats = {};
        progress.SetAdditionalText(StatisticsLine(stats));
      } else {
        Totals.Add(sizes);
      }
    }
    progress.SetFinished();
    progress.ReportFileDone(fileName, StatisticsLine(stats));
  }
  WaitAfterFinishedFile();
  if (stats.Modified) {
    SetModified(true);
  }
  return false;
}

bool TDocument::CanCompressAside(const std::string& text) const {
  // Larger pages are compressed here, where their progress is shown.
  constexpr size_t kLargestAside = size_t{4} << 20;
  return !WaitAfterFile && finisher_.Idle() && text.size() <= kLargestAside &&
         MarkedUnicodeForm(text) == TUnicodeForm::None && !MayHoldDirectives(text);
}

void TDocument::HandOver(TFinishedFile file, TPendingReport report) {
  // A few files are kept in hand, and a few megabytes.
  constexpr size_t kFilesInHand = 4;
  constexpr size_t kBytesInHand = size_t{16} << 20;
  const auto handFull = [this, &file] {
    return finisher_.PendingCount() >= kFilesInHand ||
           finisher_.PendingBytes() + file.Text->size() > kBytesInHand;
  };
  // When the file system is what the batch waits for, this thread makes the new file before
  // it would wait, which on some file systems costs as much as writing it.
  if (finisher_.Pending() && !finisher_.OldestDone() && handFull() && file.Target.empty()) {
    file.Replacement = MakeReplacement(file.File);
  }
  while (finisher_.Pending() && (finisher_.OldestDone() || handFull())) {
    ReportOldestFile();
  }
  ProgressForm().SetFinished();
  pendingReports_.push_back(std::move(report));
  finisher_.Start(std::move(file));
}

void TDocument::FinishPendingFile() {
  while (ReportOldestFile()) {
  }
}

bool TDocument::ReportOldestFile() {
  const std::optional<TFinishResult> done = finisher_.Wait();
  if (!done) {
    return false;
  }
  TPendingReport report = std::move(pendingReports_.front());
  pendingReports_.pop_front();
  if (done->Discarded) {
    return true;  // as a file whose compression was cancelled: no statistics
  }
  if (const std::optional<TCompressedAside>& aside = done->Compressed) {
    report.Statistics = StatisticsLine(aside->Stats);
    report.Sizes = SizesOf(aside->Stats, aside->Size);
    if (aside->Stats.Modified) {
      SetModified(true);
    }
  }
  if (done->Error != TFileError::None) {
    Messages().Error(WriteFailureMessage(done->Error, done->Written));
    report.Statistics = StatisticsLine({});
  } else {
    Totals.Add(report.Sizes);
  }
  ProgressForm().ReportFileDone(done->Name, report.Statistics);
  return true;
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
    CheckJobChannel();
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
  host_->TextCompressed(original, text);
  progress.SetFinished();
  host_->WaitUntilProgressClosed();
  if (stats.Modified) {
    SetModified(true);
  }
  return false;
}

}  // namespace quorvane
