#include "shell/ContextMenu.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "shell/ActionFiles.h"
#include "shell/DesktopEntryText.h"
#include "shell/OldVerbEntries.h"
#include "support/ShownName.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

constexpr char kCaption[] = "Quorvane";

std::optional<std::string>& HeldCaption() {
  static std::optional<std::string> caption;
  return caption;
}

enum class TStepResult { Done, Ignored, Aborted };

// Runs one change of a file until it succeeds or the user gives it up.
TStepResult RunStep(const std::string& pattern, const std::function<TActionResult()>& step) {
  for (;;) {
    const TActionResult result = step();
    if (result.Error == 0) {
      return TStepResult::Done;
    }
    switch (ConfirmSettingsError(result.Path, pattern, result.Error)) {
      case IMessages::TErrorChoice::Abort:
        return TStepResult::Aborted;
      case IMessages::TErrorChoice::Ignore:
        return TStepResult::Ignored;
      case IMessages::TErrorChoice::Retry:
        break;
    }
  }
}

TClassList ValidClasses(const TClassList& classes) {
  TClassList valid;
  for (const std::string& mimeType : classes) {
    if (IsValidClassName(mimeType)) {
      valid.push_back(mimeType);
    }
  }
  SortClassNames(valid);
  return valid;
}

TClassList Without(const TClassList& classes, const TClassList& removed) {
  TClassList remaining;
  for (const std::string& mimeType : classes) {
    if (std::none_of(removed.begin(), removed.end(),
                     [&](const std::string& gone) { return SameClassName(gone, mimeType); })) {
      remaining.push_back(mimeType);
    }
  }
  return remaining;
}

// The change of one file manager's action.
std::function<TActionResult()> ActionChange(TFileManagerActions& place, const TClassList& classes,
                                            bool registering, const std::string& caption,
                                            const std::string& program) {
  const std::optional<TVerbAction> current = place.Find();
  const bool own = current && current->Program == program;
  if (registering) {
    TClassList merged = classes;
    if (own) {
      merged.insert(merged.end(), current->Classes.begin(), current->Classes.end());
      SortClassNames(merged);
    }
    return [&place, action = TVerbAction{caption, program, merged}] { return place.Write(action); };
  }
  TVerbAction rest = own ? *current : TVerbAction{};
  rest.Classes = Without(rest.Classes, classes);
  if (rest.Classes.empty()) {
    // Also where nothing was found: the place itself tells a file it cannot read.
    return [&place, program] { return place.Remove(program); };
  }
  return [&place, rest] { return place.Write(rest); };
}

// Removes the entries of earlier versions: all of them, or those of `program`. False when the
// user aborted.
bool RemoveOldEntries(const std::string& pattern, const std::string* program,
                      const TActionDirectories& directories) {
  const TOldVerbEntries old(directories.DataHome);
  bool changed = false;
  bool aborted = false;
  for (const TOldVerbEntries::TEntry& entry : old.List()) {
    if (program != nullptr && entry.Program != *program) {
      continue;
    }
    const auto remove = [&entry]() -> TActionResult {
      return {::unlink(entry.Path.c_str()) != 0 && errno != ENOENT ? errno : 0, entry.Path};
    };
    const TStepResult result = RunStep(pattern, remove);
    changed = changed || result == TStepResult::Done;
    if (result == TStepResult::Aborted) {
      aborted = true;
      break;
    }
  }
  if (changed) {
    old.UpdateDatabase();
  }
  return !aborted;
}

}  // namespace

std::string ContextMenuCaption() {
  std::optional<std::string>& caption = HeldCaption();
  if (!caption) {
    caption = GetText(textid::kCompress) + " (" + kCaption + " " + ProgramVersionText() + ")";
  }
  return *caption;
}

void SetContextMenuCaption(const std::string& text) {
  std::optional<std::string>& caption = HeldCaption();
  if (!caption || *caption != text) {
    caption = text;
  }
}

std::string CommandLineForProgram(std::string_view programPath) {
  return QuoteExecArgument(programPath) + std::string(kActionSwitches) + "%F";
}

std::string ContextMenuCommandLine() {
  return CommandLineForProgram(ProgramFilePath());
}

TClassList DefaultExtensionClasses() {
  return ClassesOfExtensions({".htm", ".html", ".shtml"});
}

TClassList FindRegisteredClasses(const std::string& commandLine) {
  const std::string program = ExecProgram(commandLine);
  TClassList classes;
  for (const auto& place : AllFileManagerActions(TActionDirectories::FromEnvironment())) {
    if (const std::optional<TVerbAction> action = place->Find();
        action && action->Program == program) {
      classes.insert(classes.end(), action->Classes.begin(), action->Classes.end());
    }
  }
  SortClassNames(classes);
  return classes;
}

bool RegisterContextMenu(const TClassList& classes, bool registering) {
  const std::string pattern =
      GetText(registering ? textid::kSettingsWriteError : textid::kSettingsRemoveError) + " " +
      GetText(textid::kSettingsErrorKey);
  return WriteClassVerbs(classes, registering, pattern, ContextMenuCaption(),
                         ContextMenuCommandLine());
}

bool WriteClassVerbs(const TClassList& classes, bool registering, const std::string& pattern,
                     const std::string& caption, const std::string& command) {
  const TActionDirectories directories = TActionDirectories::FromEnvironment();
  const std::string program = ExecProgram(command);
  const TClassList valid = ValidClasses(classes);
  if (!registering || !valid.empty()) {
    for (const auto& place : AllFileManagerActions(directories)) {
      const auto change = ActionChange(*place, valid, registering, caption, program);
      if (RunStep(pattern, change) == TStepResult::Aborted) {
        return false;
      }
    }
  }
  return RemoveOldEntries(pattern, registering ? nullptr : &program, directories);
}

IMessages::TErrorChoice ConfirmSettingsError(const std::string& path, const std::string& pattern,
                                             int error) {
  std::string text = ReplaceAll(pattern, "%s", ShownName(path));
  if (error != 0) {
    text += '\r';
    text += ShownName(std::strerror(error));  // the system's own words, as it writes them
  }
  return Messages().AskAbortRetryIgnore(text, kCaption);
}

}  // namespace quorvane
