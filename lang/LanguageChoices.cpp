#include "lang/LanguageChoices.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>

#include "lang/Language.h"
#include "lang/LanguageFile.h"
#include "support/CommaText.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

constexpr std::string_view kExtension = ".nls";
constexpr size_t kSummaryLimit = 100;

// Characters, not bytes, when the name is UTF-8 (as file names on Linux usually are).
size_t CharacterCount(std::string_view name) {
  if (!IsValidUtf8(name)) {
    return name.size();
  }
  return static_cast<size_t>(std::count_if(name.begin(), name.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Matches prefix + "??" + ".nls" exactly, letter case included.
bool IsLanguageFileName(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size() + kExtension.size() || !name.starts_with(prefix) ||
      !name.ends_with(kExtension)) {
    return false;
  }
  const std::string_view middle =
      name.substr(prefix.size(), name.size() - prefix.size() - kExtension.size());
  return CharacterCount(middle) == 2;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const std::string upperA = UpperCase(a);
  const std::string upperB = UpperCase(b);
  return upperA != upperB ? upperA < upperB : a < b;
}

// The full paths of the directory's language files, sorted by name without regard to case.
// `dir` is empty or ends in "/".
std::vector<std::string> LanguageFiles(const std::string& dir, std::string_view prefix) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (IsLanguageFileName(name, prefix) && it->is_regular_file(typeError)) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end(), LessNoCase);
  for (std::string& name : names) {
    name.insert(0, dir);
  }
  return names;
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) {
    return {};
  }
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The entries of one language file, its country codes walked from the end of the list.
void AddEntries(const std::string& dir, const std::string& languageFile,
                std::vector<TLanguageEntry>& entries) {
  // Both values in one read of the file; as for a single value, the first entry of a key counts.
  std::optional<std::string> language;
  std::optional<std::string> countries;
  ForEachLanguageEntry(languageFile, [&](const std::string& key, const std::string& value) {
    if (!language && SameTextNoCase(key, "LANGUAGE")) {
      language = value;
    } else if (!countries && SameTextNoCase(key, "COUNTRIES")) {
      countries = value;
    }
    return !language || !countries;
  });
  if (!language || !countries) {
    return;
  }
  std::string_view rest = *countries;
  while (true) {
    const size_t comma = rest.rfind(',');
    const std::string_view code =
        TrimBlanks(comma == std::string_view::npos ? rest : rest.substr(comma + 1));
    if (code.empty()) {
      break;
    }
    const std::string countryFile = dir + "STATE_" + UpperCase(code) + std::string(kExtension);
    if (const auto country = FindLanguageValue(countryFile, "COUNTRY")) {
      entries.push_back(
          TLanguageEntry{*language + " (" + *country + ")", countryFile, languageFile});
    }
    if (comma == std::string_view::npos) {
      break;
    }
    rest = rest.substr(0, comma);
  }
}

}  // namespace

std::vector<TLanguageEntry> FindLanguages(const std::string& dir, const std::string& prefix) {
  const std::string base = IncludeTrailingSlash(dir);
  std::vector<TLanguageEntry> entries;
  for (const std::string& languageFile : LanguageFiles(base, prefix)) {
    AddEntries(base, languageFile, entries);
  }
  return entries;
}

TLanguageSummary LanguageSummary(const std::string& dir, const std::string& prefix) {
  if (dir.empty()) {
    return {std::string(), false};
  }
  std::vector<std::string> languages;
  for (const std::string& languageFile : LanguageFiles(IncludeTrailingSlash(dir), prefix)) {
    std::string language = ReadLanguageValue(languageFile, "LANGUAGE");
    if (!language.empty()) {
      languages.push_back(std::move(language));
    }
  }
  if (languages.empty()) {
    return {CapText(GetText(textid::kNoLanguagesFound, "no languages found"), "."), false};
  }
  std::string text =
      CapText(GetText(textid::kLanguagesPrefix, "Languages"), ": ") + JoinCommaText(languages);
  if (text.size() > kSummaryLimit) {
    text.resize(kSummaryLimit);
    text += "...";
  }
  return {std::move(text), true};
}

}  // namespace quorvane
