#include "batch/Job.h"

#include "batch/EventPump.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "support/TextIds.h"

namespace quorvane {

namespace {
std::unique_ptr<TJobList>& Instance() {
  static std::unique_ptr<TJobList> instance;
  return instance;
}
}  // namespace

TJobList& JobList() {
  if (!Instance()) {
    Instance() = std::make_unique<TJobList>();
  }
  return *Instance();
}

bool JobListExists() {
  return Instance() != nullptr;
}

void TJob::Clear() {
  ArchiveMode = 0;
  KeepDate = false;
  Recursive = false;
  ClientServer = false;
  Literal = false;
  FromCommandLine = false;
  Quiet = false;
  OutputDirectory.clear();
  paths_.clear();
  known_.clear();
}

void TJob::AddPath(const std::string& path) {
  // File names compare exactly here: a.htm and A.htm are two files.
  if (path.empty() || !known_.insert(path).second) {
    return;
  }
  paths_.push_back(path);
  if (owner_ != nullptr) {
    owner_->Changed();
  }
}

bool TJob::UsesStandardStreams() const {
  return FromCommandLine && known_.contains(std::string(kStandardStreams));
}

bool TJob::CanTravel() const {
  return OutputDirectory.empty() && !UsesStandardStreams();
}

TJobList::~TJobList() {
  destroying_ = true;
  Clear();
}

void TJobList::Add(std::unique_ptr<TJob> job) {
  job->SetOwner(this);
  jobs_.push_back(std::move(job));
  Changed();
}

void TJobList::Delete(int index) {
  jobs_.erase(jobs_.begin() + index);
  Changed();
}

void TJobList::Clear() {
  while (!jobs_.empty()) {
    Delete(Count() - 1);
  }
}

void TJobList::Changed() {
  if (destroying_) {
    return;
  }
  if (ProgressFormExists()) {
    ProgressForm().SetCaption(JobCaption());
  }
  ProcessPendingEvents();
}

std::string JobCaption() {
  const std::string fallback = ProgressFormExists() ? ProgressForm().Caption() : std::string();
  int current = 1;
  int count = 1;
  if (JobListExists()) {
    current = JobList().Current + 1;
    count = JobList().Count();
  }
  return GetText(textid::kCompress, fallback) + ": Job " + std::to_string(current) + "/" +
         std::to_string(count);
}

}  // namespace quorvane
