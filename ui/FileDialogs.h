#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace quorvane {

// The open and save dialogs of the editor (default extension "htm", the file or its directory
// must exist): the chosen file, or nothing when cancelled.
std::optional<QString> ChooseFileToOpen(QWidget* parent, const QString& filter);
std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& filter,
                                        const QString& current);

}  // namespace quorvane
