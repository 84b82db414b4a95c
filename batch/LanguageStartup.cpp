#include "batch/LanguageStartup.h"

#include "batch/Messages.h"
#include "lang/Language.h"
#include "lang/LanguageChoices.h"
#include "platform/System.h"
#include "support/Paths.h"

namespace quorvane {

namespace {
constexpr char kPrefix[] = "Quorvane_";

// The entry of the language file `name`; entries come last-country-first, so the last one
// found is the country the language file lists first.
const TLanguageEntry* EntryFor(const std::vector<TLanguageEntry>& entries,
                               const std::string& name) {
  const TLanguageEntry* chosen = nullptr;
  for (const TLanguageEntry& entry : entries) {
    if (ExtractFileName(entry.LanguageFile) == name) {
      chosen = &entry;
    }
  }
  return chosen;
}
}  // namespace

bool ChooseLanguageForLocale(std::string& country, std::string& language) {
  const std::string code = LocaleLanguageCode();
  for (const std::string& dir : DataDirectories()) {
    const std::vector<TLanguageEntry> entries = FindLanguages(dir, kPrefix);
    if (entries.empty()) {
      continue;
    }
    const TLanguageEntry* entry =
        code.empty() ? nullptr : EntryFor(entries, kPrefix + code + ".nls");
    if (entry == nullptr) {
      entry = EntryFor(entries, std::string(kPrefix) + "en.nls");
    }
    if (entry == nullptr) {
      entry = &entries.front();
    }
    country = entry->CountryFile;
    language = entry->LanguageFile;
    return true;
  }
  return false;
}

void LoadLanguageForMessages() {
  if (LoadLanguageSettings(nullptr) == 0) {
    return;
  }
  std::string country;
  std::string language;
  if (ChooseLanguageForLocale(country, language)) {
    InitLanguage(country, language);
  }
}

void StartLanguage(TSettingsStore& reg, TWindowSettings& window, const TLanguageChooser& choose) {
  LoadLanguageSettings(&reg, &window);
  if (!window.CountryFile.empty() && !window.LanguageFile.empty()) {
    return;
  }
  choose(window.CountryFile, window.LanguageFile);
  const int result = InitLanguage(window.CountryFile, window.LanguageFile);
  if (result == 0) {
    return;
  }
  if (!window.CountryFile.empty() && !window.LanguageFile.empty()) {
    Messages().Error("Error " + std::to_string(result) +
                     " while opening national language support");
  } else {
    Messages().Error(QString("I am speechless..."));
  }
}

}  // namespace quorvane
