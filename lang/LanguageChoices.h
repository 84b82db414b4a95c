#pragma once

#include <string>
#include <vector>

namespace quorvane {

// One language-and-country choice of a directory of language files.
struct TLanguageEntry {
  std::string DisplayName;  // LANGUAGE + " (" + COUNTRY + ")"
  std::string CountryFile;  // full path
  std::string LanguageFile;
};

// The choices offered by the files dir + prefix + two characters + ".nls": for each language
// file with LANGUAGE and COUNTRIES, one entry per country code whose file dir + "STATE_" +
// code + ".nls" has a COUNTRY. Codes are taken from the end of the list and upper-cased; an
// empty code ends the list. Unreadable files are skipped. Language files come in the order of
// their names (without regard to case).
std::vector<TLanguageEntry> FindLanguages(const std::string& dir, const std::string& prefix);

struct TLanguageSummary {
  std::string Text;
  bool Found;
};

// What a directory offers, for a directory chooser's status line: "Languages: " and the
// LANGUAGE names of its language files in comma form (cut to 100 characters and "..."), or
// "No languages found."; found tells whether there was any.
TLanguageSummary LanguageSummary(const std::string& dir, const std::string& prefix);

}  // namespace quorvane
