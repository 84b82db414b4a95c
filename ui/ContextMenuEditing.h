#pragma once

namespace quorvane {

class TContextMenuDialog;

// The main window's command for the context menu: shows the dialog with this process's verb
// caption and, after OK, takes the caption, removes the verb from every type that carries it
// and writes it for the chosen types. Cancel changes nothing. Returns false when the dialog
// was cancelled or the user aborted a failed change.
bool EditContextMenu(TContextMenuDialog& dialog);

}  // namespace quorvane
