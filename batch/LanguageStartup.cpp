#include "batch/LanguageStartup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "batch/Messages.h"
#include "lang/Language.h"
#include "lang/LanguageChoices.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Paths.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {
constexpr char kPrefix[] = "Quorvane_";
constexpr char kQtTranslatorName[] = "QtTranslations";

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

// The file of the same name in the program's data directories when `file` does not exist
// (the program was installed elsewhere, or its folder renamed); `file` itself otherwise.
std::string RelocatedFile(const std::string& file) {
  if (file.empty() || FileExists(file)) {
    return file;
  }
  const std::string found = FindDataFile(std::string(ExtractFileName(file)));
  return found.empty() ? file : found;
}

// Loads the stored pair, else the files of the same names in the program's data directories;
// true when a pair of both names loaded. `country` and `language` become the names that
// loaded, the stored ones when a name is missing, or both empty when neither pair loaded.
bool LoadStoredLanguage(TSettingsStore* reg, std::string& country, std::string& language) {
  TWindowSettings stored;
  const int result = LoadLanguageSettings(reg, &stored);
  country = stored.CountryFile;
  language = stored.LanguageFile;
  if (country.empty() || language.empty()) {
    return false;
  }
  if (result == 0) {
    return true;
  }
  const std::string movedCountry = RelocatedFile(country);
  const std::string movedLanguage = RelocatedFile(language);
  if (movedLanguage != language && InitLanguage(movedCountry, movedLanguage) == 0) {
    country = movedCountry;
    language = movedLanguage;
    return true;
  }
  country.clear();
  language.clear();
  return false;
}
// The two-letter language code that names a language file ("de" of "Quorvane_de.nls"), or "".
std::string LanguageFileCode(const std::string& languageFile) {
  const auto isLetter = [](char c) { return AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z'; };
  const std::string_view name = ExtractFileName(languageFile);
  const std::string_view prefix = kPrefix;
  const std::string_view extension = ".nls";
  if (name.size() != prefix.size() + 2 + extension.size() || !name.starts_with(prefix) ||
      !name.ends_with(extension) || !isLetter(name[prefix.size()]) ||
      !isLetter(name[prefix.size() + 1])) {
    return {};
  }
  return {AsciiLower(name[prefix.size()]), AsciiLower(name[prefix.size() + 1])};
}

// Qt's own texts (its standard dialogs, the menus of edit fields) in the language of
// `languageFile`, where Qt has a translation for it; Qt's English otherwise.
void LoadQtTranslations(const std::string& languageFile) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) {
    return;
  }
  delete application->findChild<QTranslator*>(kQtTranslatorName, Qt::FindDirectChildrenOnly);
  const std::string code = LanguageFileCode(languageFile);
  if (code.empty()) {
    return;
  }
  auto* translator = new QTranslator(application);
  translator->setObjectName(kQtTranslatorName);
  if (translator->load(QString::fromStdString("qt_" + code),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

void LoadAndReportLanguage(TWindowSettings& window, const TLanguageChooser& choose) {
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
  std::string country;
  std::string language;
  if (!LoadStoredLanguage(nullptr, country, language) && !LanguageInitialised() &&
      ChooseLanguageForLocale(country, language)) {
    InitLanguage(country, language);
  }
}

// A stored pair that cannot be loaded, here or moved, counts as no choice: the user is asked
// again rather than left with texts that all read "String ... not found".
void StartLanguage(TSettingsStore& reg, TWindowSettings& window, const TLanguageChooser& choose) {
  if (!LoadStoredLanguage(&reg, window.CountryFile, window.LanguageFile)) {
    LoadAndReportLanguage(window, choose);
  }
  LoadQtTranslations(CurrentLanguageFile());
}

}  // namespace quorvane
