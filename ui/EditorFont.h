#pragma once

#include <QFont>

#include "batch/SettingsStore.h"

namespace quorvane {

// The editor's font as the settings keep it, and back.
QFont FontOf(const TFontSettings& settings);
// `previous` gives what a font does not tell (character set, colour).
TFontSettings FontSettingsOf(const QFont& font, const TFontSettings& previous);

}  // namespace quorvane
