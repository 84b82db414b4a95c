#pragma once

#include <QIcon>

class QStyle;

namespace quorvane {

enum class TToolIcon {
  New,
  Open,
  SaveAs,
  Compress,
  Copy,
  Paste,
  Cut,
  Undo,
  Redo,
  Search,
  SearchContinue
};

// The tool bar's image for a command: the desktop theme's icon when it has one, else a drawing
// of our own, so that no button is ever blank.
QIcon ToolBarIcon(TToolIcon icon, const QStyle* style);

}  // namespace quorvane
