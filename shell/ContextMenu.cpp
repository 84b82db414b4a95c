#include "shell/ContextMenu.h"

#include <QMimeDatabase>
#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "shell/ClassNames.h"
#include "shell/DesktopEntryText.h"
#include "shell/MimeAppsDefaults.h"
#include "shell/VerbEntries.h"
#include "support/TextFormat.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {
namespace {

constexpr char kCaption[] = "Quorvane";

std::optional<std::string>& HeldCaption() {
  static std::optional<std::string> caption;
  return caption;
}

// A path or system text among the program's Windows-1252 texts.
std::string ProgramTextOf(const std::string& text) {
  return IsValidUtf8(text) ? Utf8ToWin1252(text) : text;
}

enum class TStepResult { Done, Ignored, Aborted };

// Runs one change of an entry until it succeeds or the user gives it up.
TStepResult RunStep(const std::string& path, const std::string& pattern,
                    const std::function<int()>& step, bool& changed) {
  for (;;) {
    const int error = step();
    if (error == 0) {
      changed = true;
      return TStepResult::Done;
    }
    switch (ConfirmRegistryError(path, pattern, error)) {
      case IMessages::TErrorChoice::Abort:
        return TStepResult::Aborted;
      case IMessages::TErrorChoice::Ignore:
        return TStepResult::Ignored;
      case IMessages::TErrorChoice::Retry:
        break;
    }
  }
}

TStepResult WriteVerb(TVerbEntries& entries, const std::string& mimeType,
                      const std::string& pattern, const std::string& caption,
                      const std::string& command, bool& changed) {
  const std::string path = entries.PathOf(mimeType);
  const TStepResult captionStep = RunStep(
      path, pattern, [&] { return entries.WriteCaption(mimeType, caption); }, changed);
  if (captionStep != TStepResult::Done) {
    return captionStep;
  }
  return RunStep(
      path, pattern, [&] { return entries.WriteCommand(mimeType, command); }, changed);
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
  return QuoteExecArgument(programPath) + " -s %f";
}

std::string ContextMenuCommandLine() {
  return CommandLineForProgram(ProgramFilePath());
}

TClassList ClassesOfExtensions(const std::vector<std::string>& extensions) {
  const QMimeDatabase database;
  TClassList classes;
  for (const std::string& extension : extensions) {
    if (extension.empty()) {
      continue;
    }
    const std::string name = "x" + (extension.front() == '.' ? extension : "." + extension);
    const QMimeType type =
        database.mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
      continue;
    }
    const std::string mimeType = type.name().toStdString();
    if (std::none_of(classes.begin(), classes.end(),
                     [&](const std::string& known) { return SameClassName(known, mimeType); })) {
      classes.push_back(mimeType);
    }
  }
  return classes;
}

TClassList DefaultExtensionClasses() {
  return ClassesOfExtensions({".htm", ".html", ".shtml"});
}

TClassList FindRegisteredClasses(const std::string& commandLine) {
  TClassList classes;
  for (const TVerbEntry& entry : TVerbEntries().List()) {
    if (SameExecValue(entry.Command, commandLine)) {
      classes.push_back(entry.Class);
    }
  }
  std::sort(classes.begin(), classes.end(), LessClassName);
  classes.erase(std::unique(classes.begin(), classes.end(), SameClassName), classes.end());
  return classes;
}

bool RegisterContextMenu(const TClassList& classes, bool registering) {
  const std::string pattern =
      GetText(registering ? textid::kRegistryWriteError : textid::kRegistryRemoveError) + " " +
      GetText(textid::kRegistryErrorKey);
  return WriteClassVerbs(classes, registering, pattern, ContextMenuCaption(),
                         ContextMenuCommandLine());
}

bool WriteClassVerbs(const TClassList& classes, bool registering, const std::string& pattern,
                     const std::string& caption, const std::string& command) {
  TVerbEntries entries;
  TMimeAppsDefaults defaults;
  bool changed = false;
  bool aborted = false;
  for (const std::string& mimeType : classes) {
    if (!TVerbEntries::IsValidClass(mimeType)) {
      continue;
    }
    TStepResult result = TStepResult::Done;
    if (registering) {
      if (!entries.Exists(mimeType)) {
        defaults.KeepCurrentDefault(mimeType, TVerbEntries::FileNameOf(mimeType));
      }
      result = WriteVerb(entries, mimeType, pattern, caption, command, changed);
    } else if (entries.Exists(mimeType)) {
      result = RunStep(
          entries.PathOf(mimeType), pattern, [&] { return entries.Remove(mimeType); }, changed);
    }
    if (result == TStepResult::Aborted) {
      aborted = true;
      break;
    }
  }
  if (changed) {
    entries.UpdateDatabase();
  }
  return !aborted;
}

IMessages::TErrorChoice ConfirmRegistryError(const std::string& path, const std::string& pattern,
                                             int error) {
  std::string text = ReplaceAll(pattern, "%s", ProgramTextOf(path));
  if (error != 0) {
    text += '\r';
    text += ProgramTextOf(std::strerror(error));
  }
  return Messages().AskAbortRetryIgnore(text, kCaption);
}

}  // namespace quorvane
