#include "shell/MimeAppsDefaults.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <cerrno>
#include <filesystem>

#include "platform/FileContent.h"
#include "platform/SettingsFile.h"

namespace quorvane {
namespace {

constexpr std::string_view kGroup = "[Default Applications]";

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The position after the last line of the default group, or npos when there is no such group.
size_t EndOfDefaultGroup(const std::string& content, std::string_view mimeType, bool& hasKey) {
  hasKey = false;
  size_t groupEnd = std::string::npos;
  bool inGroup = false;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    end = end == std::string::npos ? content.size() : end + 1;
    const std::string_view line = Trimmed(std::string_view(content).substr(start, end - start));
    if (!line.empty() && line.front() == '[') {
      inGroup = line == kGroup;
    } else if (inGroup) {
      const size_t equals = line.find('=');
      if (equals != std::string_view::npos && Trimmed(line.substr(0, equals)) == mimeType &&
          !Trimmed(line.substr(equals + 1)).empty()) {
        hasKey = true;
      }
    }
    if (inGroup) {
      groupEnd = end;
    }
    start = end;
  }
  return groupEnd;
}

std::string RunTool(const QString& tool, const QStringList& args) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  process.setProcessEnvironment(env);
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(tool, args);
  if (!process.waitForStarted() || !process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return {};
  }
  return process.readAllStandardOutput().toStdString();
}

}  // namespace

TMimeAppsDefaults::TMimeAppsDefaults()
    : TMimeAppsDefaults(TSettingsFile::ConfigDirectory() + "/mimeapps.list") {}

TMimeAppsDefaults::TMimeAppsDefaults(std::string filePath) : filePath_(std::move(filePath)) {}

bool TMimeAppsDefaults::HasDefault(std::string_view mimeType) const {
  std::string content;
  ReadWholeFile(filePath_, content);
  bool hasKey = false;
  EndOfDefaultGroup(content, mimeType, hasKey);
  return hasKey;
}

int TMimeAppsDefaults::AddDefault(std::string_view mimeType, std::string_view desktopId) {
  std::string content;
  const TReadResult read = ReadWholeFile(filePath_, content);
  if (read.Error != TFileError::None && read.Error != TFileError::NotFound) {
    return read.Errno != 0 ? read.Errno : EIO;
  }
  const std::string line = std::string(mimeType) + "=" + std::string(desktopId) + ";\n";
  bool hasKey = false;
  const size_t groupEnd = EndOfDefaultGroup(content, mimeType, hasKey);
  if (hasKey) {
    return 0;
  }
  if (groupEnd == std::string::npos) {
    if (!content.empty() && content.back() != '\n') {
      content += '\n';
    }
    content += (content.empty() ? "" : "\n") + std::string(kGroup) + "\n" + line;
  } else {
    const bool endsLine = groupEnd == 0 || content[groupEnd - 1] == '\n';
    content.insert(groupEnd, endsLine ? line : "\n" + line);
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(filePath_).parent_path(), error);
  if (error) {
    return error.value();
  }
  return WriteFileReplacing(filePath_, content, {.Flush = true}) == TFileError::None ? 0 : EIO;
}

std::string TMimeAppsDefaults::CurrentDefault(std::string_view mimeType) {
  const QString type = QString::fromStdString(std::string(mimeType));
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (!xdgMime.isEmpty()) {
    // Outside a desktop session xdg-mime only reads the lists of chosen defaults; the
    // application that opens the type anyway is gio's answer.
    std::string answer(
        Trimmed(RunTool(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type})));
    if (!answer.empty()) {
      return answer;
    }
  }
  const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
  if (gio.isEmpty()) {
    return {};
  }
  // "Default application for 'text/html': firefox.desktop", first of the lines.
  const std::string output = RunTool(gio, {QStringLiteral("mime"), type});
  const std::string_view first = std::string_view(output).substr(0, output.find('\n'));
  const size_t colon = first.rfind(": ");
  if (!first.starts_with("Default application for") || colon == std::string_view::npos) {
    return {};
  }
  return std::string(Trimmed(first.substr(colon + 2)));
}

void TMimeAppsDefaults::KeepCurrentDefault(std::string_view mimeType, std::string_view ownId) {
  if (HasDefault(mimeType)) {
    return;
  }
  const std::string current = CurrentDefault(mimeType);
  if (current.empty() || current == ownId || !current.ends_with(".desktop") ||
      current.find_first_of(";\n=") != std::string::npos) {
    return;
  }
  AddDefault(mimeType, current);
}

}  // namespace quorvane
