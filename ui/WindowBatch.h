#pragma once

#include <memory>
#include <string>

#include "batch/Job.h"

namespace quorvane {

// The batch with a display: the progress window shows each file and stays for the wait time
// after it, and messages come in message boxes. Returns the process's exit code.
int RunWindowBatch(int argc, char** argv, std::unique_ptr<TJob> job);

// The help text `text` (the program's, lines separated by carriage returns) in a message box
// with the stop icon when `asError`, the information icon otherwise.
void ShowWindowHelp(int argc, char** argv, const std::string& text, bool asError);

// The -i and -d roads with their messages in message boxes.
int RunWindowInstallation(int argc, char** argv, bool deinstall);

}  // namespace quorvane
