#include "batch/CommandLine.h"

namespace quorvane {

const std::string_view kBatchHelpText =
    "params for batchmode:\r-h show this help\r-i install program\r-d deinstall program\r"
    "-a treat only changed files, keep archive status\r-m treat only changed files, reset "
    "archive status\r-k keep date of file\r-s use client/server mode\r-r recursive into subdirs\r"
    "-e FILE, --edit FILE open FILE in the editor window";

bool IsOptionArgument(std::string_view text, size_t& nameStart) {
  if (text.size() < 2 || text[0] != '-') {
    return false;
  }
  nameStart = text[1] == '-' ? 2 : 1;
  for (size_t i = nameStart; i < text.size(); ++i) {
    const char c = text[i];
    const bool allowed =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!allowed) {
      return false;
    }
  }
  return true;
}

bool GetNextOption(const std::vector<std::string>& args, size_t& index, std::string& name) {
  size_t nameStart = 0;
  if (index >= args.size() || !IsOptionArgument(args[index], nameStart)) {
    return false;
  }
  name = args[index].substr(nameStart);
  ++index;
  return true;
}

TStartAction CheckCommandLine(const std::vector<std::string>& args, TJob& job) {
  if (args.empty()) {
    return TStartAction::Editor;
  }
  size_t index = 0;
  std::string name;
  while (GetNextOption(args, index, name)) {
    if (name.size() != 1) {
      return TStartAction::HelpError;
    }
    switch (name[0]) {
      case 'a':
        job.ArchiveMode = 1;
        break;
      case 'm':
        job.ArchiveMode = 2;
        break;
      case 'k':
        job.KeepDate = true;
        break;
      case 'r':
        job.Recursive = true;
        break;
      case 's':
        job.ClientServer = true;
        break;
      case 'h':
        return TStartAction::Help;
      case 'i':
        return TStartAction::Install;
      case 'd':
        return TStartAction::Deinstall;
      default:
        return TStartAction::HelpError;
    }
  }
  for (; index < args.size(); ++index) {
    job.AddPath(args[index]);
  }
  return TStartAction::Batch;
}

std::optional<std::string> EditFileArgument(const std::vector<std::string>& args) {
  if (args.size() == 2 && (args[0] == "-e" || args[0] == "--edit") && !args[1].empty()) {
    return args[1];
  }
  return std::nullopt;
}

}  // namespace quorvane
