#pragma once

// The file managers' entries. Failure: a write that fails is shown through the program's
// messages with the question abort, retry or ignore, and the operation returns whether the work
// went through (false after Abort); the settings store's refusal is reported the same way.

namespace quorvane {

// The -i and -d roads of the command line. Installation writes the default tag list into the
// settings and the verb for the default document types; removal deletes the settings key with
// its parents that become empty, and the verb entries that run this very program file. Returns
// the process's exit code: 0, or 1 when the user aborted or the settings could not be changed.
int InstallOrDeinstall(bool deinstall);

}  // namespace quorvane
