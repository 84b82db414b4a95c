#include "batch/UiText.h"

#include <QFile>

#include "lang/Language.h"
#include "support/ShownName.h"
#include "support/Win1252.h"

namespace quorvane {

QString UiText(const std::string& text) {
  return QString::fromStdString(Win1252ToUtf8(text));
}

std::string ProgramText(const QString& text) {
  return Utf8ToWin1252(text.toStdString());
}

QString UiText(uint32_t textId) {
  return UiText(GetText(textId));
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QString ShownPathText(const std::string& path) {
  return PathText(EscapedName(path));
}

std::string FilePath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString CapUiText(uint32_t id, const char* suffix) {
  return UiText(CapText(GetText(id), suffix));
}

QString FormattedUiText(uint32_t id, const QString& parameter) {
  QString text = UiText(GetText(id)).replace("%s", parameter);
  if (!text.isEmpty()) {
    text[0] = text[0].toUpper();
  }
  return text;
}

}  // namespace quorvane
