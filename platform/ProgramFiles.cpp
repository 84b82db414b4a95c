#include "platform/ProgramFiles.h"

#include <algorithm>
#include <filesystem>

#include "platform/FileAttributes.h"
#include "support/Paths.h"

namespace quorvane {

std::string ProgramFilePath() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.string();
}

std::string ProgramDirectory() {
  return std::string(ExtractFilePath(ProgramFilePath()));
}

std::vector<std::string> DataDirectories() {
  std::vector<std::string> directories;
  const auto add = [&directories](const std::string& directory) {
    if (!directory.empty() &&
        std::find(directories.begin(), directories.end(), directory) == directories.end()) {
      directories.push_back(directory);
    }
  };
  const std::string program = ProgramDirectory();
  add(program);
  if (!program.empty()) {
    add(IncludeTrailingSlash(
        (std::filesystem::path(program) / "../share/quorvane").lexically_normal().string()));
  }
  if (DirectoryExists(QUORVANE_BUILD_DATA_DIR)) {
    add(QUORVANE_BUILD_DATA_DIR);
  }
  return directories;
}

std::string FindDataFile(const std::string& name) {
  for (const std::string& directory : DataDirectories()) {
    if (FileExists(directory + name)) {
      return directory + name;
    }
  }
  return {};
}

}  // namespace quorvane
