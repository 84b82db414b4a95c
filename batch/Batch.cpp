#include "batch/Batch.h"

#include "batch/ClientServer.h"
#include "batch/EventPump.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Paths.h"
#include "support/TextIds.h"

namespace quorvane {

namespace {
// The directory part of a path, ending in "/" (empty when the path names none).
std::string DirectoryOf(const std::string& path) {
  return IncludeTrailingSlash(ExtractFilePath(path));
}

// After a cancel: with other instances' jobs queued the user decides, else the batch ends.
bool CancelEndsBatch() {
  if (!ProgressForm().CancelRequest()) {
    return false;
  }
  if (JobList().Count() <= 1) {
    return true;
  }
  if (Messages().AskYesNo(GetText(textid::kCancelBatchQuestion), "Quorvane")) {
    return true;
  }
  TInterruptWatch::Reset();  // the user goes on: a further Ctrl+C asks again
  return false;
}
}  // namespace

int RunBatch(std::unique_ptr<TJob> job, const std::function<TDocument&()>& createDocument) {
  if (job->ClientServer) {
    HandOverJob(*job);
    if (job->Sent) {
      return 0;
    }
  }
  JobList().Add(std::move(job));
  struct TCloseChannel {
    ~TCloseChannel() {
      JobList().CloseMailslot();
      SyncWrittenFileSystems();
    }
  } closeChannel;
  TDocument& document = createDocument();
  ProcessQueue(document);
  document.FinishPendingFile();
  return 0;
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
        list.ReadMailslot();
      }
    }
  } while (TakeLastJobs(list, linger));
  return false;
}

bool ProcessPath(const std::string& path, TJob& job, TDocument& document) {
  if (ProcessFileMask(path, job, document)) {
    return true;
  }
  if (!job.Recursive) {
    return false;
  }
  const std::string dir = DirectoryOf(path);
  const std::string mask(ExtractFileName(path));
  for (const std::string& name : FindEnterableDirectories(dir)) {
    if (ProcessPath(dir + name + "/" + mask, job, document)) {
      return true;
    }
  }
  return false;
}

bool ProcessFileMask(const std::string& path, TJob& job, TDocument& document) {
  const std::string dir = DirectoryOf(path);
  if (!dir.empty() && !DirectoryExists(dir)) {
    ShowErrorMessage(textid::kDirectoryMissing, dir);
    return false;
  }
  for (const TDirEntry& entry : FindFiles(dir, std::string(ExtractFileName(path)))) {
    const std::string file = dir + entry.Name;
    if (entry.ReadOnly) {
      ShowErrorMessage(textid::kFileWriteProtected, file);
      continue;
    }
    if (job.ArchiveMode != 0 && !entry.Archive) {
      continue;
    }
    document.SetFileName(file);
    // Only a file that was really compressed counts as done for the next run.
    document.MarkFilesDone = job.ArchiveMode == 2;
    document.Compress(file, job.KeepDate);
    if (CancelEndsBatch()) {
      return true;
    }
    ProcessPendingEvents(true);
  }
  return false;
}

}  // namespace quorvane
