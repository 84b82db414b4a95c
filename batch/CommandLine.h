#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/Job.h"

namespace quorvane {

// The help text, lines separated by carriage returns.
extern const std::string_view kBatchHelpText;
// "quorvane 1.7.0", for --version.
extern const std::string_view kVersionText;

// Exit codes of the batch. A signal that ends it gives 128 + its number (130 for Ctrl+C).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a file or path failed, or a pass stopped
inline constexpr int kExitUsage = 2;    // an unknown or malformed switch

// "-x", "--x", "-abc" and "--" are options (the name after the dash or dashes may only hold
// ASCII letters, digits and "_"); "-", "/h", "-?", "-k.htm" are not.
bool IsOptionArgument(std::string_view text, size_t& nameStart);

// When argument `index` (0-based) is an option, stores its name, advances `index` and returns
// true. `hasValue` tells whether an argument follows that is not an option.
bool GetNextOption(const std::vector<std::string>& args, size_t& index, std::string& name,
                   bool* hasValue = nullptr);

enum class TStartAction {
  Editor,     // no arguments
  Batch,      // the job is filled with its switches and paths
  Help,       // -h, --help
  Version,    // --version
  HelpError,  // unknown or malformed switch: a usage error
  Install,    // -i
  Deinstall,  // -d
};

// The file to open in the editor when the arguments (without the program name) are "-e FILE"
// or "--edit FILE"; nothing otherwise (then CheckCommandLine reads them).
std::optional<std::string> EditFileArgument(const std::vector<std::string>& args);

// Reads the arguments (without the program name) into `job`. Switches act where they stand:
// -h, -i and -d end the reading; "--" ends the switches; the first argument that is not an
// option and all after it are paths. -o takes the argument after it as its directory.
TStartAction CheckCommandLine(const std::vector<std::string>& args, TJob& job);

}  // namespace quorvane
