#include "ui/UiText.h"

#include "lang/Language.h"
#include "support/ShownName.h"
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

}  // namespace quorvane
