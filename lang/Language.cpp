#include "lang/Language.h"

#include <optional>
#include <utility>

#include "lang/LanguageFile.h"
#include "lang/TextTable.h"
#include "support/TextFormat.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

struct TLanguageState {
  TTextTable Table;
  bool Initialised = false;
  bool InMemory = false;
  std::string CountryFile;
  std::string LanguageFile;
  std::function<int()> MemoryLoad;
};

TLanguageState& State() {
  static TLanguageState state;
  return state;
}

// The first character of the format that is not an ASCII letter, if any.
void SetSeparatorFrom(std::string_view format, char& separator) {
  for (const char c : format) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter) {
      separator = c;
      return;
    }
  }
}

void ApplyFormatKey(std::string_view key, std::string_view raw) {
  // Keys match on their first 17 characters, the length of the longest one.
  const std::string name = UpperCase(key.substr(0, 17));
  const bool known = name == "SHORTDATEFORMAT" || name == "SHORTTIMEFORMAT" ||
                     name == "DECIMALSEPARATOR" || name == "THOUSANDSEPARATOR";
  if (!known) {
    return;
  }
  const std::string value = DecodeLanguageValue(raw);
  TFormatSettings& formats = FormatSettings();
  if (name == "SHORTDATEFORMAT") {
    formats.ShortDateFormat = value;
    SetSeparatorFrom(value, formats.DateSeparator);
  } else if (name == "SHORTTIMEFORMAT") {
    formats.ShortTimeFormat = value;
    SetSeparatorFrom(value, formats.TimeSeparator);
  } else if (name == "DECIMALSEPARATOR" && value.size() == 1) {
    formats.DecimalSeparator = value[0];
  } else if (name == "THOUSANDSEPARATOR" && value.size() == 1) {
    formats.ThousandSeparator = value[0];
  }
}

std::optional<std::string> ReadTextFromFile(const std::string& fileName, uint32_t id) {
  std::optional<std::string> text;
  ForEachLanguageEntry(fileName, [&](const std::string& key, const std::string& value) {
    if (ParseTextId(key) != id) {
      return true;
    }
    text = DecodeLanguageValue(value);
    return false;
  });
  return text;
}

}  // namespace

int InitLanguage(const std::string& countryFile, const std::string& languageFile) {
  TLanguageState& state = State();
  state.Table.Clear();
  state.Initialised = false;
  const int memoryLoad = state.MemoryLoad ? state.MemoryLoad() : 0;
  state.InMemory = memoryLoad <= 99;
  state.CountryFile = countryFile;
  state.LanguageFile = languageFile;
  LoadLanguageFile(countryFile);
  const int result = LoadLanguageFile(languageFile);
  state.Initialised = result == 0;
  return result;
}

int LoadLanguageFile(const std::string& fileName) {
  TLanguageState& state = State();
  return ForEachLanguageEntry(fileName, [&state](const std::string& key, const std::string& raw) {
    if (const auto id = ParseTextId(key)) {
      if (state.InMemory) {
        state.Table.Insert(*id, DecodeLanguageValue(raw));
      }
    } else {
      ApplyFormatKey(key, raw);
    }
    return true;
  });
}

std::string GetText(uint32_t id, std::string_view fallback) {
  TLanguageState& state = State();
  if (state.InMemory) {
    if (const std::string* text = state.Table.Find(id)) {
      return *text;
    }
  } else if (auto text = ReadTextFromFile(state.LanguageFile, id)) {
    return std::move(*text);
  }
  return fallback.empty() ? MissingText(id) : std::string(fallback);
}

bool LanguageInitialised() {
  return State().Initialised;
}

bool TextsInMemory() {
  return State().InMemory;
}

const std::string& CurrentLanguageFile() {
  return State().LanguageFile;
}

const std::string& CurrentCountryFile() {
  return State().CountryFile;
}

void SetMemoryLoadProvider(std::function<int()> provider) {
  State().MemoryLoad = std::move(provider);
}

std::string TLanguageTexts::GetText(uint32_t id, std::string_view fallback) {
  return quorvane::GetText(id, fallback);
}

ITextSource& LanguageTexts() {
  static TLanguageTexts texts;
  return texts;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

}  // namespace quorvane
