#include "batch/ClientServer.h"

#include "batch/EventPump.h"

namespace quorvane {

// Until instances can talk to each other, every instance works on its own job.
void HandOverJob(TJob&) {}

void CheckMailslot() {
  ProcessPendingEvents();
  if (JobListExists()) {
    JobList().ReadMailslot();
  }
}

void TJobList::ReadMailslot() {
  ProcessPendingEvents();
}

void TJobList::CloseMailslot() {
  Mailslot = -1;
}

}  // namespace quorvane
