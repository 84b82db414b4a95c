#pragma once

#include "batch/Job.h"

namespace quorvane {

// Client/server mode: hands the job to a running instance and ends the process, or makes this
// instance the one that reads other instances' jobs, or lets it work on its own.
void HandOverJob(TJob& job);

// The idle hook: pending events, then the jobs other instances sent.
void CheckMailslot();

}  // namespace quorvane
