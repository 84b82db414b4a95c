#include "ui/EditorFont.h"

#include <QFontInfo>

namespace quorvane {

QFont FontOf(const TFontSettings& settings) {
  QFont font(QString::fromStdString(settings.Name));
  if (settings.Size > 0) {
    font.setPointSize(settings.Size);
  } else if (settings.Height != 0) {
    font.setPixelSize(settings.Height < 0 ? -settings.Height : settings.Height);
  }
  font.setBold(settings.Bold);
  font.setItalic(settings.Italic);
  font.setUnderline(settings.Underline);
  font.setStrikeOut(settings.Strikeout);
  if (settings.Pitch == 1) {
    font.setStyleHint(QFont::TypeWriter);
  }
  return font;
}

TFontSettings FontSettingsOf(const QFont& font, const TFontSettings& previous) {
  TFontSettings settings = previous;
  settings.Name = font.family().toStdString();
  settings.Size = font.pointSize() > 0 ? font.pointSize() : previous.Size;
  settings.Height = -static_cast<int32_t>(QFontInfo(font).pixelSize());
  settings.Pitch = font.fixedPitch() ? 1 : 0;
  settings.Bold = font.bold();
  settings.Italic = font.italic();
  settings.Underline = font.underline();
  settings.Strikeout = font.strikeOut();
  return settings;
}

}  // namespace quorvane
