#include "ui/DesktopShortcuts.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>
#include <initializer_list>

namespace quorvane {

namespace {

struct TDesktopKeys {
  const char* Action;
  std::initializer_list<QKeyCombination> Keys;
};

}  // namespace

void AddDesktopShortcuts(QWidget& window) {
  static const TDesktopKeys kKeys[] = {
      {"MainmenuFileNew", {Qt::CTRL | Qt::Key_N}},
      {"MainmenuFileClose", {Qt::CTRL | Qt::Key_W}},
      {"MainmenuFileQuit", {Qt::CTRL | Qt::Key_Q}},
      {"MainMenuEditRedo", {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}},
      {"MainMenuSearchSearch", {Qt::CTRL | Qt::Key_F}},
      {"MainMenuSearchReplace", {Qt::CTRL | Qt::Key_H}},
      {"MainMenuSearchSearchprevious", {Qt::SHIFT | Qt::Key_F3}},
      {"MainmenuViewLargertext", {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal}},
      {"MainmenuViewSmallertext", {Qt::CTRL | Qt::Key_Minus}},
      {"MainmenuViewNormaltext", {Qt::CTRL | Qt::Key_0}},
  };
  for (const TDesktopKeys& entry : kKeys) {
    auto* action = window.findChild<QAction*>(entry.Action, Qt::FindDirectChildrenOnly);
    if (action == nullptr) {
      continue;
    }
    QList<QKeySequence> keys = action->shortcuts();
    for (const QKeyCombination key : entry.Keys) {
      keys.append(QKeySequence(key));
    }
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
  }
}

}  // namespace quorvane
