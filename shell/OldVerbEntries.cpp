#include "shell/OldVerbEntries.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "platform/FileContent.h"
#include "shell/ActionFiles.h"
#include "shell/DesktopEntryText.h"

namespace quorvane {

TOldVerbEntries::TOldVerbEntries(std::string dataHome)
    : directory_(std::move(dataHome) + "/applications") {}

std::vector<TOldVerbEntries::TEntry> TOldVerbEntries::List() const {
  std::vector<TEntry> entries;
  std::error_code error;
  std::filesystem::directory_iterator items(directory_, error);
  if (error) {
    return entries;
  }
  const std::string prefix = ActionName() + "-";
  for (; items != std::filesystem::directory_iterator(); items.increment(error)) {
    const std::string name = items->path().filename().string();
    if (!name.starts_with(prefix) || !name.ends_with(".desktop")) {
      continue;
    }
    std::string content;
    ReadWholeFile(items->path().string(), content);
    const auto keys = ReadKeyFileGroup(content, "Desktop Entry");
    const auto exec = keys.find("Exec");
    entries.push_back(
        {items->path().string(), exec == keys.end() ? std::string() : ExecProgram(exec->second)});
  }
  return entries;
}

void TOldVerbEntries::UpdateDatabase() const {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (tool.isEmpty()) {
    return;
  }
  // Only a cache for the desktop: whatever the tool reports about other files is not ours.
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(tool,
                {QStringLiteral("-q"), QFile::decodeName(QByteArray::fromStdString(directory_))});
  if (process.waitForStarted() && !process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
  }
}

}  // namespace quorvane
