#pragma once

#include <cstdint>
#include <string>

#include "batch/Job.h"

namespace quorvane {

// The name of the channel between instances: the program's GUID text.
std::string JobChannelName();

// Client/server mode: hands the job to a running instance (the job is then Sent and the
// process is to end), or makes this instance the one that reads other instances' jobs, or
// lets it work on its own.
void HandOverJob(TJob& job);

// The idle hook: pending events, then the jobs other instances sent.
void CheckJobChannel();

// Called each time the queue is done. The instance that takes other instances' jobs first
// waits up to `lingerMilliseconds` for one to come (a terminal run has no wait after each
// file that would give instances started together with it their chance); then it stops
// taking jobs and reads every message still waiting. Returns true when jobs came in, which
// the queue must process before it calls this again.
bool TakeLastJobs(TJobList& list, int32_t lingerMilliseconds);

}  // namespace quorvane
