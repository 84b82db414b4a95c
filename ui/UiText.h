#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace quorvane {

// The program's texts are Windows-1252 bytes, with the names in them marked; widgets show
// Unicode.
QString UiText(const std::string& text);
// A text typed into a widget, as the program's Windows-1252 bytes (characters outside it
// become "?").
std::string ProgramText(const QString& text);
// The language text `textId`, for a widget.
QString UiText(uint32_t textId);

}  // namespace quorvane
