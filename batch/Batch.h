#pragma once

#include <functional>
#include <memory>
#include <string>

#include "batch/Document.h"
#include "batch/Job.h"

namespace quorvane {

// The batch entry: hands the job over to a running instance (-s) or queues it and processes
// the queue with the document that `createDocument` makes once it is needed. Returns the
// process's exit code: 0 when every file was handled (or the progress window's Cancel ended
// the batch), 1 when an error message was shown on the way (every failure shows one), 128 +
// the signal's number when an interrupt signal ended it.
int RunBatch(std::unique_ptr<TJob> job, const std::function<TDocument&()>& createDocument);

// Each returns true when the batch must end now (the user cancelled).
bool ProcessQueue(TDocument& document);
// A path is a file name or a mask (a file name only with the job's Literal), a directory (its
// pages), or, in the command line's own job, "-" for standard input and output.
bool ProcessPath(const std::string& path, TJob& job, TDocument& document);

}  // namespace quorvane
