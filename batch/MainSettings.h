#pragma once

#include <optional>
#include <string>

#include "batch/Document.h"
#include "batch/SettingsStore.h"
#include "support/HistoryList.h"

namespace quorvane {

// The settings that only the editor window uses; the batch loads them and never saves.
struct TWindowSettings {
  std::optional<bool> LineBreak;
  std::optional<bool> ViewSymbolbar;
  std::optional<bool> ViewStatusbar;
  std::optional<bool> Highlighting;  // the colours of the HTML source
  std::optional<TFontSettings> Font;
  std::string ContextmenuCaption;  // kept as stored; nothing else uses it
  THistoryList History;
  std::string LanguageFile;  // the language choice, saved for the next start
  std::string CountryFile;
};

// Loads the document's settings (tag list, protected segments, help directory, wait time) and
// the window's.
void LoadMainSettings(TSettingsStore& reg, TDocument& document, TWindowSettings& window);

// Saves them all, the window's placement first. Throws TSettingsError when refused.
void SaveMainSettings(TSettingsStore& reg, const TDocument& document,
                      const TWindowSettings& window);

// Loads the stored language and country files unless a language is loaded already, and gives
// `window` the names of the files in use. Returns the load's result, or -1 when there are no
// settings.
int LoadLanguageSettings(TSettingsStore* reg, TWindowSettings* window = nullptr);

}  // namespace quorvane
