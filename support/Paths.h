#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The directory part of a path: everything up to and including its last "/" (empty if none).
std::string_view ExtractFilePath(std::string_view path);

// The name part of a path: everything after its last "/".
std::string_view ExtractFileName(std::string_view path);

// The path with a "/" appended unless it is empty or already ends in one.
std::string IncludeTrailingSlash(std::string_view path);

// Resolves `name` against `baseDir` (a directory ending in "/" or empty): absolute names and
// names with an empty base stay as they are.
std::string ResolveAgainst(std::string_view baseDir, std::string_view name);

}  // namespace quorvane
