#pragma once

#include "ui/MainWindow.h"

namespace quorvane {

// The main window's commands whose dialogs are the settings dialogs: the tag list, the options
// and the language choice. The tag list and options dialogs are created at their first use as
// children of the window and kept; the language dialog lives for one use. The language command
// stores another choice with SetLanguageFiles; the window then shows the notice itself.
TMainWindow::TExtrasCommands SettingsDialogCommands();

}  // namespace quorvane
