#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/Job.h"

namespace quorvane {

// The help text, lines separated by carriage returns.
extern const std::string_view kBatchHelpText;

// "-x", "--x", "-abc" and "--" are options (the name after the dash or dashes may only hold
// ASCII letters, digits and "_"); "-", "/h", "-?", "-k.htm" are not.
bool IsOptionArgument(std::string_view text, size_t& nameStart);

// When argument `index` (0-based) is an option, stores its name, advances `index` and returns
// true.
bool GetNextOption(const std::vector<std::string>& args, size_t& index, std::string& name);

enum class TStartAction {
  Editor,     // no arguments
  Batch,      // the job is filled with its switches and paths
  Help,       // -h
  HelpError,  // unknown or malformed switch
  Install,    // -i
  Deinstall,  // -d
};

// The file to open in the editor when the arguments (without the program name) are "-e FILE"
// or "--edit FILE"; nothing otherwise (then CheckCommandLine reads them).
std::optional<std::string> EditFileArgument(const std::vector<std::string>& args);

// Reads the arguments (without the program name) into `job`. Switches act where they stand:
// -h, -i and -d end the reading; the first argument that is not an option and all after it
// are paths.
TStartAction CheckCommandLine(const std::vector<std::string>& args, TJob& job);

}  // namespace quorvane
