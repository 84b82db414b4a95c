#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/Messages.h"
#include "batch/ProgramId.h"

namespace quorvane {

// Document types (MIME types) in a plain list.
using TClassList = std::vector<std::string>;

// The verb's caption for this process: unless set, built on first use from the text
// "Compress" and the program's name and version, "Compress (Quorvane 1.7)".
std::string ContextMenuCaption();
void SetContextMenuCaption(const std::string& text);

// The command that the verb runs: this program file with -s and the document, for instance
// "/usr/bin/quorvane -s %f", the path quoted as desktop entries demand when it needs it.
std::string ContextMenuCommandLine();
std::string CommandLineForProgram(std::string_view programPath);

// The document type of each extension (".htm"), each type once (compared without regard to
// case), in the order of the extensions; extensions without a type give none.
TClassList ClassesOfExtensions(const std::vector<std::string>& extensions);
// Those of ".htm", ".html" and ".shtml".
TClassList DefaultExtensionClasses();

// The document types whose verb entry runs exactly `commandLine`, sorted, each once.
TClassList FindRegisteredClasses(const std::string& commandLine);

// Writes (`registering`) or removes the verb of each class, with this process's caption and
// command line and the program's error messages. False exactly when the user chose Abort.
bool RegisterContextMenu(const TClassList& classes, bool registering);

// Writes or removes the verb of each class in list order. A failed step is put to the user by
// ConfirmRegistryError: Abort ends the whole operation, Retry repeats the step, Ignore passes
// the class over. False exactly when the user chose Abort; what was written before stays.
bool WriteClassVerbs(const TClassList& classes, bool registering, const std::string& pattern,
                     const std::string& caption, const std::string& command);

// Asks through Messages() about a failed change of the verb entry at `path`: `pattern` with
// its "%s" replaced by the path, followed by the system's reason for `error` when not 0.
IMessages::TErrorChoice ConfirmRegistryError(const std::string& path, const std::string& pattern,
                                             int error = 0);

}  // namespace quorvane
