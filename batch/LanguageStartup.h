#pragma once

#include <functional>
#include <string>

#include "batch/MainSettings.h"

namespace quorvane {

// Asks for a language and country file pair; false when the user made no choice.
using TLanguageChooser = std::function<bool(std::string& country, std::string& language)>;

// The language check at start: the stored files, or at a first start a choice, then loaded,
// and Qt's own texts in the same language. Load errors of a choice are reported with the
// program's two fixed messages.
void StartLanguage(TSettingsStore& reg, TWindowSettings& window, const TLanguageChooser& choose);

// The choice without asking: the offered language that matches the locale, else English.
bool ChooseLanguageForLocale(std::string& country, std::string& language);

// Messages in the user's language where no window is made: the stored choice, else, as at a
// first start in batch mode, the language of the locale, stored nowhere.
void LoadLanguageForMessages();

}  // namespace quorvane
