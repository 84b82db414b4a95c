#pragma once

// The language texts. Failure: loading returns 0 or the errno code of the file that could not be
// read, and a text that no file defines reads "String XXXXXXXX not found"; nothing here throws or
// shows a message: the caller decides what to tell the user.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/Texts.h"

namespace quorvane {

// The process's language state: the texts of one country file and one language file, looked
// up by text identifier.

// Clears all texts and loads the country file, then the language file; a text defined in both
// comes from the country file. Texts are held in memory unless the memory load is above 99 %;
// then every lookup reads the language file again. Returns the result of opening the language
// file: 0, or an errno code (2 when the name is empty or the file does not exist).
int InitLanguage(const std::string& countryFile, const std::string& languageFile);

// Loads the texts and format keys of one file into the current state. Returns 0 or the errno
// code of opening or reading it.
int LoadLanguageFile(const std::string& fileName);

// The text of `id`; when there is none, `fallback` if it is not empty, else
// "String XXXXXXXX not found".
std::string GetText(uint32_t id, std::string_view fallback = {});

// Whether the last InitLanguage loaded its language file.
bool LanguageInitialised();
bool TextsInMemory();
const std::string& CurrentLanguageFile();
const std::string& CurrentCountryFile();

// Where InitLanguage learns the memory load in percent; the platform layer supplies it. An
// empty function restores the default, which reports 0.
void SetMemoryLoadProvider(std::function<int()> provider);

// The language texts as the engine and the batch take them.
class TLanguageTexts : public ITextSource {
 public:
  std::string GetText(uint32_t id, std::string_view fallback = {}) override;
};

ITextSource& LanguageTexts();

// Number, date and time formats of the process, changed by the format keys of the loaded files.
struct TFormatSettings {
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string ShortTimeFormat = "hh:nn";
  char DateSeparator = '-';
  char TimeSeparator = ':';
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
};

TFormatSettings& FormatSettings();

}  // namespace quorvane
