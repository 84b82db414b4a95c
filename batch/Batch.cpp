#include "batch/Batch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "batch/ClientServer.h"
#include "batch/CommandLine.h"
#include "batch/EventPump.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

// What a directory given as a path stands for.
constexpr std::array<std::string_view, 3> kPageMasks = {"*.htm", "*.html", "*.shtml"};

// One path's walk over the file system.
struct TWalk {
  std::string Base;               // the path's own directory: "" or ending in "/"
  TListRequest Request;           // what is looked for in each directory
  std::optional<TFileId> Output;  // the output directory, never entered
  int Found = 0;                  // files met
};

// The directory part of a path, ending in "/" (empty when the path names none).
std::string DirectoryOf(const std::string& path) {
  return IncludeTrailingSlash(ExtractFilePath(path));
}

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

// After a cancel: with other instances' jobs queued the user decides, else the batch ends. A
// signal that asks the process to end is obeyed without a question.
bool CancelEndsBatch() {
  if (!ProgressForm().CancelRequest()) {
    return false;
  }
  if (JobList().Count() <= 1 || TInterruptWatch::TerminationRequested()) {
    return true;
  }
  if (Messages().AskYesNo(GetText(textid::kCancelBatchQuestion), "Quorvane")) {
    return true;
  }
  TInterruptWatch::Reset();  // the user goes on: a further Ctrl+C asks again
  return false;
}

// Where the results of the files of `dir` go: the folder below the job's output directory at
// the path of `dir` relative to the walk's base; "" for in place, also when that is where the
// output road leads (the folders may be reached by other names).
std::string OutputFolderFor(const std::string& dir, const TWalk& walk, const TJob& job) {
  if (job.OutputDirectory.empty()) {
    return {};
  }
  std::string target = IncludeTrailingSlash(job.OutputDirectory) + dir.substr(walk.Base.size());
  const std::optional<TFileId> source = FileIdentity(dir.empty() ? "." : dir);
  return source && FileIdentity(target) == source ? std::string() : target;
}

// Compresses the files of one directory. True when the batch must end.
bool ProcessFiles(const std::string& dir, const std::vector<TDirEntry>& files, TWalk& walk,
                  TJob& job, TDocument& document) {
  const std::string outputFolder = files.empty() ? std::string() : OutputFolderFor(dir, walk, job);
  for (const TDirEntry& entry : files) {
    ++walk.Found;
    const std::string file = dir + entry.Name;
    std::string output = outputFolder.empty() ? std::string() : outputFolder + entry.Name;
    // Only what is written must be writable: a result elsewhere leaves the source untouched.
    if (entry.ReadOnly && output.empty()) {
      ShowErrorMessage(textid::kFileWriteProtected, file);
      continue;
    }
    if (job.ArchiveMode != 0 && !entry.Archive) {
      continue;
    }
    document.SetFileName(file);
    // Only a file that was really compressed counts as done for the next run.
    document.MarkFilesDone = job.ArchiveMode == 2;
    document.OutputFile = std::move(output);
    document.Compress(file, job.KeepDate);
    if (CancelEndsBatch()) {
      return true;
    }
    ProcessPendingEvents(true);
  }
  return false;
}

// A directory's own files first, then its subdirectories depth-first in the order the file
// system lists them; each directory is read once. True when the batch must end.
bool ProcessTree(const std::string& dir, TWalk& walk, TJob& job, TDocument& document) {
  const TDirListing listing = ListDirectory(dir, walk.Request);
  if (ProcessFiles(dir, listing.Files, walk, job, document)) {
    return true;
  }
  for (const std::string& name : listing.Directories) {
    const std::string subdirectory = dir + name + "/";
    // Results written below the tree are no sources of it.
    if (walk.Output && FileIdentity(subdirectory) == walk.Output) {
      continue;
    }
    if (ProcessTree(subdirectory, walk, job, document)) {
      return true;
    }
  }
  return false;
}

// The walk for `path`. False when it cannot be made (its message is shown).
bool PrepareWalk(const std::string& path, const TJob& job, TWalk& walk) {
  TListRequest& request = walk.Request;
  if (DirectoryExists(path)) {
    walk.Base = IncludeTrailingSlash(path);
    request.Masks.assign(kPageMasks.begin(), kPageMasks.end());
  } else {
    walk.Base = DirectoryOf(path);
    request.Masks = {std::string(ExtractFileName(path))};
    request.NamesOnly = job.Literal;
    if (!walk.Base.empty() && !DirectoryExists(walk.Base)) {
      ShowErrorMessage(textid::kDirectoryMissing, walk.Base);
      return false;
    }
  }
  request.Directories = job.Recursive;
  request.Archive = job.ArchiveMode != 0;
  if (!job.OutputDirectory.empty()) {
    std::error_code error;
    std::filesystem::create_directories(job.OutputDirectory, error);
    walk.Output = FileIdentity(job.OutputDirectory);
    if (!walk.Output || !DirectoryExists(job.OutputDirectory)) {
      ShowErrorMessage(textid::kDirectoryCannotBeCreated, job.OutputDirectory);
      return false;
    }
  }
  return true;
}

// A file name that matched nowhere and names nothing: the user misspelt it, or it is gone. A
// mask that matches nothing is no error.
void ReportMissingNamedFile(const std::string& path, const TWalk& walk) {
  const TListRequest& request = walk.Request;
  const std::string& name = request.Masks.front();
  if (walk.Found != 0 || request.Masks.size() != 1 || (!request.NamesOnly && HasWildcards(name))) {
    return;
  }
  std::error_code error;
  const bool directoryThere = walk.Base.empty() || DirectoryExists(walk.Base);
  if (directoryThere && !std::filesystem::exists(path, error) && !error) {
    ShowErrorMessage(textid::kNamedFileMissing, path);
  }
}

void StartStreamProgress() {
  TProgressModel& progress = ProgressForm();
  progress.Reset();
  progress.SetFileNameLabel(std::string(TJob::kStandardStreams));
  progress.Start(
      {}, JobCaption(),
      TProgressModel::kFileName | TProgressModel::kAdditionalText | TProgressModel::kSubBar, true);
}

// Standard input, compressed, to standard output: the whole result or, after a cancel,
// nothing. A pass that stopped passes the document on unchanged. True when the batch must end.
bool CompressStandardStreams(TDocument& document) {
  std::string text;
  const int error = ReadStandardInput(text);
  if (error == EINTR) {
    return true;
  }
  if (error != 0) {
    ShowErrorMessage(textid::kFileCannotBeOpened, std::string(TJob::kStandardStreams));
    return false;
  }
  StartStreamProgress();
  TCompressionStats stats;
  const bool stopped = document.CompressPage(text, {}, stats);
  TProgressModel& progress = ProgressForm();
  if (progress.CancelRequest() || TInterruptWatch::Requested()) {
    return true;
  }
  if (!WriteStandardOutput(text)) {
    if (TInterruptWatch::Requested()) {
      return true;
    }
    ShowErrorMessage(textid::kFileCannotBeWritten, std::string(TJob::kStandardStreams));
  }
  if (stopped) {
    return false;  // as for a file: the message says why, and there are no statistics
  }
  document.Totals.Add(SizesOf(stats, text.size()));
  progress.SetAdditionalText(StatisticsLine(stats));
  progress.SetFinished();
  progress.ReportFileDone(std::string(TJob::kStandardStreams), StatisticsLine(stats));
  ProcessPendingEvents(true);
  return false;
}

// The code the process ends with after the queue.
int ExitCode(bool cancelled, int errorsBefore) {
  if (TInterruptWatch::Requested()) {
    return TInterruptWatch::ExitCode();
  }
  if (cancelled) {
    return kExitSuccess;  // the user chose to stop in the progress window
  }
  return ErrorMessagesShown() != errorsBefore ? kExitFailure : kExitSuccess;
}

}  // namespace

int RunBatch(std::unique_ptr<TJob> job, const std::function<TDocument&()>& createDocument) {
  // A message to another instance carries neither an output directory nor this process's
  // standard input: such a job is always done here.
  if (job->ClientServer && job->CanTravel()) {
    HandOverJob(*job);
    if (job->Sent) {
      return kExitSuccess;
    }
  }
  JobList().Add(std::move(job));
  struct TCloseChannel {
    ~TCloseChannel() {
      JobList().CloseJobChannel();
      SyncWrittenFileSystems();
    }
  } closeChannel;
  TDocument& document = createDocument();
  const int errorsBefore = ErrorMessagesShown();
  const bool cancelled = ProcessQueue(document);
  document.FinishPendingFile();
  return ExitCode(cancelled, errorsBefore);
}

bool ProcessQueue(TDocument& document) {
  TJobList& list = JobList();
  // Without a wait after each file the queue may be done before instances started together
  // with this one have reached it; they get the wait time to hand over their jobs.
  const int32_t linger = document.WaitAfterFile ? 0 : document.Waittime;
  list.Current = 0;
  do {
    for (; list.Current < list.Count(); ++list.Current) {
      TJob& job = list.Items(list.Current);
      for (int i = 0; i < job.Count(); ++i) {
        if (ProcessPath(job.Path(i), job, document)) {
          return true;
        }
        list.ReadJobChannel();
      }
    }
  } while (TakeLastJobs(list, linger));
  return false;
}

bool ProcessPath(const std::string& path, TJob& job, TDocument& document) {
  if (job.FromCommandLine && path == TJob::kStandardStreams) {
    return CompressStandardStreams(document);
  }
  TWalk walk;
  if (!PrepareWalk(path, job, walk)) {
    return false;
  }
  if (ProcessTree(walk.Base, walk, job, document)) {
    return true;
  }
  ReportMissingNamedFile(path, walk);
  return false;
}

}  // namespace quorvane
