#include "batch/MainSettings.h"

#include "batch/ProgramId.h"
#include "lang/Language.h"
#include "support/Paths.h"

namespace quorvane {

namespace {
constexpr char kHistoryKey[] = "History Files";

void LoadHistory(TSettingsStore& reg, THistoryList& history) {
  history.Clear();
  if (!reg.OpenAppKey(kHistoryKey, false)) {
    return;
  }
  if (const auto limit = reg.ReadString("Default")) {
    try {
      const int value = std::stoi(*limit);
      if (value != 0) {
        history.SetLimit(value);
      }
    } catch (const std::exception&) {
      // Not a number: the default limit stays.
    }
  }
  for (int i = 0;; ++i) {
    const auto path = reg.ReadString(std::to_string(i));
    if (!path) {
      break;
    }
    history.Append(*path);
  }
  reg.CloseKey();
}

void SaveHistory(TSettingsStore& reg, const THistoryList& history) {
  reg.DeleteAppKey(kHistoryKey);
  reg.OpenAppKey(kHistoryKey, true);
  reg.Write("Default", std::to_string(history.Limit()));
  const auto& items = history.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    reg.Write(std::to_string(i), items[i]);
  }
  reg.CloseKey();
}
}  // namespace

void LoadMainSettings(TSettingsStore& reg, TDocument& document, TWindowSettings& window) {
  if (reg.OpenAppKey({}, false)) {
    document.TagList.SetCommaText(
        reg.ReadString("BreakTags").value_or(std::string(kDefaultTagListText)));
    const std::string helpDir = reg.ReadString("HelpDir").value_or("");
    document.HelpDirAuto = helpDir.empty();
    document.HelpDir = IncludeTrailingSlash(helpDir);
    window.ContextmenuCaption = reg.ReadString("ContextmenuCaption").value_or("");
    window.LineBreak = reg.ReadBool("Linebreak");
    window.ViewSymbolbar = reg.ReadBool("ViewSymbolbar");
    window.ViewStatusbar = reg.ReadBool("ViewStatusbar");
    window.Highlighting = reg.ReadBool("Highlighting");
    document.Waittime = reg.ReadInteger("Waittime").value_or(1000);
    document.StrictPre = reg.ReadBool("StrictPre").value_or(false);
    reg.CloseKey();
    window.Font = reg.LoadFont();
    LoadHistory(reg, window.History);
  }
}

void SaveMainSettings(TSettingsStore& reg, const TDocument& document,
                      const TWindowSettings& window) {
  reg.SavePlacement();
  SaveHistory(reg, window.History);
  reg.OpenAppKey({}, true);
  reg.Write("LanguageFilename", window.LanguageFile);
  reg.Write("CountryFilename", window.CountryFile);
  if (!document.HelpDirAuto) {
    reg.Write("HelpDir", document.HelpDir);
  } else if (reg.ValueExists("HelpDir")) {
    reg.DeleteValue("HelpDir");
  }
  reg.Write("Waittime", document.Waittime);
  if (window.LineBreak) {
    reg.Write("Linebreak", *window.LineBreak);
  }
  if (window.ViewSymbolbar) {
    reg.Write("ViewSymbolbar", *window.ViewSymbolbar);
  }
  if (window.ViewStatusbar) {
    reg.Write("ViewStatusbar", *window.ViewStatusbar);
  }
  if (window.Highlighting) {
    reg.Write("Highlighting", *window.Highlighting);
  }
  reg.Write("BreakTags", document.TagList.CommaText());
  reg.Write("StrictPre", document.StrictPre);
  reg.Write("ContextmenuCaption", window.ContextmenuCaption);
  reg.CloseKey();
  if (window.Font) {
    reg.SaveFont(*window.Font);
  }
  reg.Flush();
}

int LoadLanguageSettings(TSettingsStore* reg, TWindowSettings* window) {
  if (LanguageInitialised()) {
    if (window != nullptr) {
      window->LanguageFile = CurrentLanguageFile();
      window->CountryFile = CurrentCountryFile();
    }
    return 0;
  }
  std::unique_ptr<TSettingsStore> temporary;
  if (reg == nullptr) {
    temporary = std::make_unique<TSettingsStore>("Quorvane", ProgramVersionText());
    reg = temporary.get();
  }
  if (!reg->OpenAppKey({}, false)) {
    return -1;
  }
  const std::string language = reg->ReadString("LanguageFilename").value_or("");
  const std::string country = reg->ReadString("CountryFilename").value_or("");
  reg->CloseKey();
  if (window != nullptr) {
    window->LanguageFile = language;
    window->CountryFile = country;
  }
  return InitLanguage(country, language);
}

}  // namespace quorvane
