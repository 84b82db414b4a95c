#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "batch/FileFinisher.h"
#include "batch/WindowHandle.h"
#include "engine/CompressionPass.h"
#include "engine/TagsCommaList.h"

namespace quorvane {

// The editor window, as far as the document needs it. Without one, the document works on
// files (the batch).
class IEditorHost {
 public:
  virtual ~IEditorHost() = default;
  virtual std::string EditorText() = 0;
  virtual void SetEditorText(const std::string& text) = 0;
  virtual bool EditorModified() const = 0;
  virtual void SetEditorModified(bool value) = 0;
  // The window the progress window disables while it works.
  virtual TWindowHandle OwnerWindow() = 0;
  // Handles events until the user has closed the finished progress window.
  virtual void WaitUntilProgressClosed() = 0;
  // A compression of the editor's text ran to its end: the text before it and after it.
  virtual void TextCompressed(const std::string& before, const std::string& after) = 0;
};

// A document's size before and after its compression, in bytes; before, as the statistics
// count it, is with its includes expanded.
struct TFileSizes {
  size_t Before = 0;
  size_t After = 0;
};

// What the batch has compressed so far, for its summary.
struct TBatchTotals {
  int Files = 0;
  uint64_t BytesBefore = 0;
  uint64_t BytesAfter = 0;
  void Add(const TFileSizes& sizes) {
    ++Files;
    BytesBefore += sizes.Before;
    BytesAfter += sizes.After;
  }
};

// The document and the settings the compression needs: the part of the main window that works
// without any widget, so that the batch never needs a display.
class TDocument {
 public:
  TDocument() : TagList(TTagsCommaList::Default()) {}

  TTagsCommaList TagList;
  int32_t Waittime = 1000;     // how long a finished batch file stays on screen, milliseconds
  std::string HelpDir;         // chosen by the user, with a trailing "/"
  bool HelpDirAuto = true;     // the help directory is found automatically
  bool WaitAfterFile = true;   // false in a terminal: its lines stay readable by themselves
  bool MarkFilesDone = false;  // clear each file's archive attribute once it is compressed
  bool StrictPre = false;      // protect only "<PRE>" blocks, not every code element
  // Where the batch writes the result of the next file instead of over it ("": in place). The
  // result is written there even when the compression changed nothing.
  std::string OutputFile;
  TBatchTotals Totals;  // the files compressed and, where needed, written

  void SetEditorHost(IEditorHost* host) { host_ = host; }
  const std::string& FileName() const { return fileName_; }
  // Changes the document's name; `NameChanged` runs when it really changed.
  void SetFileName(const std::string& name);
  std::function<void()> NameChanged;

  bool GetModified() const;
  void SetModified(bool value);

  // Compresses the editor's text, or the file `fileName` when there is no editor. Returns true
  // when the run was cancelled.
  bool Compress(const std::string& fileName, bool keepDate);
  bool CompressText(std::string& text, const std::string& fileName, TCompressionStats& stats);
  // CompressText for a page in its own encoding: a UTF-16 or UTF-32 page (known by its byte
  // order mark) is compressed as UTF-8 and encoded back, mark included. Such a page that does
  // not decode cleanly is reported and left as it is.
  bool CompressPage(std::string& page, const std::string& fileName, TCompressionStats& stats);
  // A poll for long loops: true when the user asked to cancel.
  bool CancelRequested();
  // Without a wait after each file, files are written while the next ones are compressed;
  // this waits for those still in hand and reports them in order: each one's failure, then its
  // statistics.
  void FinishPendingFile();

 private:
  // What is shown for a file in the finisher's hand once it is written; for a page that the
  // finisher compresses, the statistics come with its result.
  struct TPendingReport {
    std::string Statistics;
    std::string Caption;  // the caption the file was compressed under
    TFileSizes Sizes;
  };

  const std::shared_ptr<const TPreparedTags>& PreparedTags();
  TProtection Protection() const {
    return StrictPre ? TProtection::StrictPre : TProtection::Elements;
  }
  bool CompressFile(const std::string& fileName, bool keepDate);
  // Whether the finisher compresses the page `text` itself: it has nothing else to do, and the
  // page needs nothing of this thread (no includes, no other encoding, no progress to show).
  bool CanCompressAside(const std::string& text) const;
  // Hands `file` to the finisher, once there is room; `report` is shown when it is written.
  void HandOver(TFinishedFile file, TPendingReport report);
  bool CompressEditor(const std::string& fileName);
  void StartProgress(const std::string& fileName, const TWindowHandle& owner);
  void WaitAfterFinishedFile();
  // Reports the oldest file in hand once it is written; false when none was in hand.
  bool ReportOldestFile();

  IEditorHost* host_ = nullptr;
  // For TagList as it was when last used; shared with the finisher while it compresses.
  std::shared_ptr<const TPreparedTags> preparedTags_;
  std::string fileName_;
  bool modified_ = false;
  TFileFinisher finisher_;
  std::deque<TPendingReport> pendingReports_;  // of the files in the finisher's hand, in order
};

// The sizes that `stats` of a run with the result of `result` bytes count.
TFileSizes SizesOf(const TCompressionStats& stats, size_t result);

// "24 % (24 Characters)": the statistics line of a run.
std::string StatisticsLine(const TCompressionStats& stats);

}  // namespace quorvane
