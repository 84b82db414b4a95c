#include "ui/MenuHistoryFiles.h"

#include <QAction>
#include <QMenu>
#include "batch/UiText.h"

namespace quorvane {

TMenuHistoryFiles::TMenuHistoryFiles(const THistoryList& list, QMenu* menu, QAction* anchor,
                                     TClick click, QObject* parent)
    : QObject(parent), list_(list), menu_(menu), anchor_(anchor), click_(std::move(click)) {}

void TMenuHistoryFiles::Rebuild() {
  for (QAction* action : menu_->actions()) {
    if (action->property(kPathProperty).isValid() || action->objectName() == "HistorySeparator") {
      menu_->removeAction(action);
      action->deleteLater();
    }
  }
  const auto& items = list_.Items();
  if (items.empty()) {
    return;
  }
  auto* separator = new QAction(menu_);
  separator->setSeparator(true);
  separator->setObjectName("HistorySeparator");
  menu_->insertAction(anchor_, separator);
  for (size_t i = 0; i < items.size(); ++i) {
    // The first nine numbers are the items' mnemonics; an "&" of the name is shown as it is.
    const QString caption = (i < 9 ? "&" : "") + QString::number(i + 1) + " " +
                            ShownPathText(items[i]).replace("&", "&&");
    auto* action = new QAction(caption, menu_);
    action->setProperty(kPathProperty, QString::fromStdString(items[i]));
    const std::string path = items[i];
    connect(action, &QAction::triggered, this, [this, path] { click_(path); });
    menu_->insertAction(anchor_, action);
  }
}

}  // namespace quorvane
