#pragma once

#include <functional>
#include <memory>
#include <string>

#include "batch/Document.h"
#include "batch/Job.h"

namespace quorvane {

// The batch entry: hands the job over to a running instance (-s) or queues it and processes
// the queue with the document that `createDocument` makes once it is needed. Returns the
// process's exit code.
int RunBatch(std::unique_ptr<TJob> job, const std::function<TDocument&()>& createDocument);

// Each returns true when the batch must end now (the user cancelled).
bool ProcessQueue(TDocument& document);
bool ProcessPath(const std::string& path, TJob& job, TDocument& document);
bool ProcessFileMask(const std::string& path, TJob& job, TDocument& document);

}  // namespace quorvane
