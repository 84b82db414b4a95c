#include "ui/ContextMenuEditing.h"

#include <QApplication>

#include "shell/ContextMenu.h"
#include "ui/ContextMenuDialog.h"

namespace quorvane {
namespace {

// The hourglass while the entries change; the arrow comes back on every way out.
class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace

bool EditContextMenu(TContextMenuDialog& dialog) {
  dialog.SetCaptionText(ContextMenuCaption());
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  SetContextMenuCaption(dialog.GetCaptionText());
  const TBusyCursor busy;
  const TClassList registered = FindRegisteredClasses(ContextMenuCommandLine());
  if (!RegisterContextMenu(registered, false)) {
    return false;
  }
  return dialog.ChosenClasses().empty() || RegisterContextMenu(dialog.ChosenClasses(), true);
}

}  // namespace quorvane
