#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "support/HistoryList.h"

class QAction;
class QMenu;

namespace quorvane {

// The recently used files in the file menu: one entry per file of `list`, after a separator,
// directly before the `anchor` item, numbered from 1 in list order (newest first).
class TMenuHistoryFiles : public QObject {
  Q_OBJECT

 public:
  using TClick = std::function<void(const std::string& path)>;

  TMenuHistoryFiles(const THistoryList& list, QMenu* menu, QAction* anchor, TClick click,
                    QObject* parent);

  // Builds the menu anew from the list (after the list was loaded, for instance).
  void Rebuild();

  // The property of every entry's action that holds its path.
  static constexpr char kPathProperty[] = "historyPath";

 private:
  const THistoryList& list_;
  QMenu* menu_;
  QAction* anchor_;
  TClick click_;
};

}  // namespace quorvane
