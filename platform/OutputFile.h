#pragma once

#include <string>
#include <string_view>

#include "platform/FileContent.h"

namespace quorvane {

// Writes `data` as the file `path` of an output tree, which is always either what it was or
// the new content: missing folders on the way are created, the data goes into a temporary file
// beside `path` that is then renamed over it. Whatever the name held before is replaced, never
// written through (a symbolic link there is replaced by the file, not followed). The new file
// gets the permission bits of `modelFile` (the umask applies). On failure nothing at `path`
// has changed and no temporary file remains; folders already created stay.
TFileError WriteOutputFile(const std::string& path, std::string_view data,
                           const std::string& modelFile);

// Flushes, once each, the file systems that WriteOutputFile wrote to since the last call.
void SyncOutputFileSystems();

}  // namespace quorvane
