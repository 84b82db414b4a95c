#pragma once

#include <string>
#include <vector>

namespace quorvane {

// The absolute path of the running executable, symbolic links resolved; empty when unknown.
std::string ProgramFilePath();

// The directory of the running executable, with a trailing "/"; empty when unknown.
std::string ProgramDirectory();

// Where language files and help pages are looked for, in this order: beside the program, in
// ../share/quorvane/ from there, and in the build tree's data/ directory when it exists. Each
// ends in "/".
std::vector<std::string> DataDirectories();

// The full path of the first data directory's `name` that exists, or "".
std::string FindDataFile(const std::string& name);

}  // namespace quorvane
