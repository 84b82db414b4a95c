#include "engine/IncludeFiles.h"

#include <filesystem>
#include <fstream>

namespace quorvane {

IIncludeFiles::TResult TFileSystemIncludes::Load(const std::string& path, size_t maxSize,
                                                 std::string& content) {
  namespace fs = std::filesystem;
  content.clear();
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status) || fs::is_directory(status)) {
    return TResult::Missing;
  }
  if (!fs::is_regular_file(status)) {
    return TResult::Unreadable;
  }
  const auto size = fs::file_size(path, error);
  if (error) {
    return TResult::Unreadable;
  }
  if (size > maxSize) {
    return TResult::TooLarge;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return TResult::Unreadable;
  }
  content.resize(static_cast<size_t>(size));
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.gcount() != static_cast<std::streamsize>(content.size())) {
    content.clear();
    return TResult::Unreadable;
  }
  return TResult::Loaded;
}

}  // namespace quorvane
