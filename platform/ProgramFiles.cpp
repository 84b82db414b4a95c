#include "platform/ProgramFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/FileAttributes.h"
#include "support/Paths.h"

namespace quorvane {

namespace {
constexpr const char* kProgramFileVariable = "QUORVANE_PROGRAM_FILE";
constexpr const char* kWindowProgramName = "quorvane-gui";
}  // namespace

std::string ProgramFilePath() {
  if (const char* handedOver = std::getenv(kProgramFileVariable);
      handedOver != nullptr && *handedOver != '\0') {
    return handedOver;
  }
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.string();
}

std::string ProgramDirectory() {
  return std::string(ExtractFilePath(ProgramFilePath()));
}

std::string WindowProgramPath() {
  const std::string program = ProgramDirectory();
  if (FileExists(program + kWindowProgramName)) {
    return program + kWindowProgramName;
  }
  return (std::filesystem::path(program) / "../libexec" / kWindowProgramName)
      .lexically_normal()
      .string();
}

int ExecWindowProgram(char** argv) {
  const std::string self = ProgramFilePath();
  const std::string program = WindowProgramPath();
  ::setenv(kProgramFileVariable, self.c_str(), 1);
  ::execv(program.c_str(), argv);
  const int error = errno;
  ::unsetenv(kProgramFileVariable);
  return error;
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
