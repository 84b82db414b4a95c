#pragma once

class QWidget;

namespace quorvane {

// Gives the commands of `window` (its actions, found by their object names) the keys a user
// of a Linux desktop expects, after the keys they already have, so that those keep their
// meaning and stay the ones the menus show:
//   Ctrl+N new, Ctrl+W close the document, Ctrl+Q quit, Ctrl+Y and Ctrl+Shift+Z redo,
//   Ctrl+F find, Ctrl+H replace, Shift+F3 find the previous match, and Ctrl+Plus (or
//   Ctrl+=), Ctrl+Minus and Ctrl+0 for the text size.
// F3 keeps opening the find dialog and Ctrl+F3 finds the next match.
void AddDesktopShortcuts(QWidget& window);

}  // namespace quorvane
