#include "support/Paths.h"

namespace quorvane {

std::string_view ExtractFilePath(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view ExtractFileName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string IncludeTrailingSlash(std::string_view path) {
  std::string result(path);
  if (!result.empty() && result.back() != '/') {
    result += '/';
  }
  return result;
}

std::string ResolveAgainst(std::string_view baseDir, std::string_view name) {
  if (baseDir.empty() || (!name.empty() && name[0] == '/')) {
    return std::string(name);
  }
  return IncludeTrailingSlash(baseDir) + std::string(name);
}

}  // namespace quorvane
