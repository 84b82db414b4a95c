#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/Messages.h"
#include "batch/ProgramId.h"
#include "shell/ClassNames.h"
#include "shell/FileTypes.h"

// The compress command in the context menus of the file managers (KDE Dolphin, GNOME Files,
// Cinnamon Nemo, Xfce Thunar). Failures to change an action file are put to the user through
// Messages(); the operations tell whether the user aborted.

namespace quorvane {

// The verb's caption for this process: unless set, built on first use from the text
// "Compress" and the program's name and version, "Compress (Quorvane 1.7)".
std::string ContextMenuCaption();
void SetContextMenuCaption(const std::string& text);

// The command that the verb runs, as a desktop entry's Exec value: this program file with -s,
// -l and the selected files, for instance "/usr/bin/quorvane -s -l %F", the path quoted when it
// needs it. Each file manager's action runs the same program with the same switches, written as
// that file manager demands; the program file is what tells the actions of two copies apart.
std::string ContextMenuCommandLine();
std::string CommandLineForProgram(std::string_view programPath);

// The default document types: those of ".htm", ".html" and ".shtml".
TClassList DefaultExtensionClasses();

// The document types offered by the actions that run the program of `commandLine`, sorted,
// each once: what any of the file managers' action files of this GUID names for it.
TClassList FindRegisteredClasses(const std::string& commandLine);

// Adds (`registering`) the classes to the actions, or takes them from them, with this process's
// caption and command line and the program's error messages. False exactly when the user chose
// Abort.
bool RegisterContextMenu(const TClassList& classes, bool registering);

// Adds the classes to each file manager's action, which then runs the program of `command`
// with `caption` (an action of another program file is replaced: every copy shares the one
// action), or takes them from the action of that program, which goes when no class is left.
// The entries of earlier versions go too: all of them when registering, those of the program
// when removing. A failed change of a file is put to the user by ConfirmSettingsError: Abort
// ends the whole operation, Retry repeats the change, Ignore passes the file over. False
// exactly when the user chose Abort; what was written before stays.
bool WriteClassVerbs(const TClassList& classes, bool registering, const std::string& pattern,
                     const std::string& caption, const std::string& command);

// Asks through Messages() about a failed change of the action file at `path`: `pattern` with
// its "%s" replaced by the path, followed by the system's reason for `error` when not 0.
IMessages::TErrorChoice ConfirmSettingsError(const std::string& path, const std::string& pattern,
                                             int error = 0);

}  // namespace quorvane
