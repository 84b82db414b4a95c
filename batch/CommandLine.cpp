#include "batch/CommandLine.h"

#include <optional>

namespace quorvane {

const std::string_view kBatchHelpText =
    "params for batchmode:\r-h show this help\r-i install program\r-d deinstall program\r"
    "-a treat only changed files, keep archive status\r-m treat only changed files, reset "
    "archive status\r-k keep date of file\r-s use client/server mode\r-r recursive into subdirs\r"
    "-e FILE, --edit FILE open FILE in the editor window\r"
    "-l the paths are file names, not masks\r-q quiet: no line per file, no summary\r"
    "-o DIR write the results below DIR, leave the files as they are\r"
    "- read standard input, write the result to standard output\r"
    "-- end of the switches: every argument after it is a path\r"
    "--help show this help\r--version show the version\r"
    "a directory as path means its *.htm, *.html and *.shtml files\r"
    "exit codes: 0 every file done, 1 a file or path failed, 2 wrong switch,\r"
    "130 stopped by Ctrl+C, 143 stopped by SIGTERM";

const std::string_view kVersionText = "quorvane " QUORVANE_VERSION;

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

bool GetNextOption(const std::vector<std::string>& args, size_t& index, std::string& name,
                   bool* hasValue) {
  size_t nameStart = 0;
  if (index >= args.size() || !IsOptionArgument(args[index], nameStart)) {
    return false;
  }
  name = args[index].substr(nameStart);
  ++index;
  if (hasValue != nullptr) {
    size_t ignored = 0;
    *hasValue = index < args.size() && !IsOptionArgument(args[index], ignored);
  }
  return true;
}

namespace {

// The switches of more than one letter; they are written with two dashes only.
std::optional<TStartAction> LongSwitch(const std::string& argument) {
  if (argument == "--help") {
    return TStartAction::Help;
  }
  if (argument == "--version") {
    return TStartAction::Version;
  }
  return std::nullopt;
}

}  // namespace

TStartAction CheckCommandLine(const std::vector<std::string>& args, TJob& job) {
  if (args.empty()) {
    return TStartAction::Editor;
  }
  job.FromCommandLine = true;
  size_t index = 0;
  std::string name;
  bool hasValue = false;
  while (GetNextOption(args, index, name, &hasValue)) {
    if (name.empty()) {
      break;  // "--": the paths follow, however they look
    }
    if (name.size() != 1) {
      return LongSwitch(args[index - 1]).value_or(TStartAction::HelpError);
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
      case 'l':
        job.Literal = true;
        break;
      case 'q':
        job.Quiet = true;
        break;
      case 'o':
        if (!hasValue || args[index].empty()) {
          return TStartAction::HelpError;
        }
        job.OutputDirectory = args[index++];
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
