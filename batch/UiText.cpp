#include "batch/UiText.h"

#include <QFile>
#include <QLocale>

#include "lang/Language.h"
#include "support/Rounding.h"
#include "support/ShownName.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

QString UiText(const std::string& text) {
  return QString::fromStdString(ShownText(text));
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
  return QString::fromStdString(DisplayName(path));
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

QString CompressionSummary(size_t before, size_t after) {
  const QLocale locale;
  const QString sizes = locale.toString(static_cast<qulonglong>(before)) +
                        QStringLiteral(u" \u2192 ") +
                        locale.toString(static_cast<qulonglong>(after));
  // Included files can make the result the larger one: then the share saved is negative.
  const double saved = before == 0
                           ? 0.0
                           : 100.0 * (static_cast<double>(before) - static_cast<double>(after)) /
                                 static_cast<double>(before);
  const QString percent = QString::number(RoundHalfEven(saved)) + " %";
  return FormattedUiText(textid::kCompressedBytes, sizes) + ", " +
         UiText(GetText(textid::kSavedPercent)).replace("%s", percent);
}

}  // namespace quorvane
