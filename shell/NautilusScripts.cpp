#include "shell/NautilusScripts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include "batch/ProgramId.h"
#include "platform/FileContent.h"
#include "shell/DesktopEntryText.h"
#include "shell/ShellWords.h"
#include "support/Win1252.h"

namespace quorvane {
namespace {

constexpr std::string_view kHeader = "#!/bin/sh\n";
constexpr std::string_view kKeyPrefix = "# X-Quorvane-";

std::string KeyLine(std::string_view key, std::string_view value) {
  return std::string(kKeyPrefix) + std::string(key) + "=" + EscapeDesktopValue(value) + "\n";
}

// The key lines at the top of a script: "Id", "Program", "Name", "MimeType".
std::map<std::string, std::string> ReadKeyLines(std::string_view content) {
  std::map<std::string, std::string> keys;
  if (!content.starts_with(kHeader)) {
    return keys;
  }
  size_t start = kHeader.size();
  while (start < content.size() && content[start] == '#') {
    const size_t end = std::min(content.find('\n', start), content.size());
    const std::string_view line = content.substr(start, end - start);
    const size_t equals = line.find('=');
    if (line.starts_with(kKeyPrefix) && equals != std::string_view::npos) {
      const std::string_view key = line.substr(kKeyPrefix.size(), equals - kKeyPrefix.size());
      keys.emplace(std::string(key), UnescapeDesktopValue(line.substr(equals + 1)));
    }
    start = end + 1;
  }
  return keys;
}

// A case pattern that matches the extension in any letter case: "htm" as "[hH][tT][mM]".
std::string AnyCasePattern(std::string_view extension) {
  std::string pattern = "*.";
  for (char c : extension) {
    const char lower = AsciiLower(c);
    const char upper = AsciiUpper(c);
    if (lower == upper) {
      pattern += c;
    } else {
      pattern += std::string("[") + lower + upper + "]";
    }
  }
  return pattern;
}

std::string FilterLines(const TClassList& classes) {
  std::string patterns;
  for (const std::string& extension : PatternExtensions(classes)) {
    if (!patterns.empty()) {
      patterns += '|';
    }
    patterns += AnyCasePattern(extension);
  }
  std::string lines = "  case $file in\n";
  if (!patterns.empty()) {
    lines += "    " + patterns + ") ;;\n";
  }
  return lines + "    *) continue ;;\n  esac\n";
}

}  // namespace

TNautilusScripts::TNautilusScripts(std::string dataHome)
    : dataHome_(std::move(dataHome)), directory_(dataHome_ + "/nautilus/scripts") {}

std::string TNautilusScripts::ScriptName(std::string_view caption) {
  std::string name;
  for (char c : CaptionFileText(caption)) {
    if (c == '/') {
      name += '-';
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      name += ' ';
    } else if (c != '.' || !name.empty()) {
      name += c;
    }
  }
  return name.empty() ? "Quorvane" : name;
}

std::string TNautilusScripts::Content(const TVerbAction& action) {
  return std::string(kHeader) +
         "# Compresses the selected pages of its document types in place.\n" +
         KeyLine("Id", ProgramIdText()) + KeyLine("Program", action.Program) +
         KeyLine("Name", CaptionFileText(action.Caption)) +
         KeyLine("MimeType", ClassListValue(action.Classes)) +
         "program=" + QuoteShellWord(action.Program) +
         "\n"
         "if [ -n \"${NAUTILUS_SCRIPT_SELECTED_FILE_PATHS:-}\" ]; then\n"
         "  IFS='\n'\n"
         "  set -f\n"
         "  set -- $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n"
         "  set +f\n"
         "  unset IFS\n"
         "fi\n"
         "for file do\n"
         "  shift\n" +
         FilterLines(action.Classes) +
         "  case $file in\n"
         "    -*) file=./$file ;;\n"
         "  esac\n"
         "  set -- \"$@\" \"$file\"\n"
         "done\n"
         "[ \"$#\" -gt 0 ] || exit 0\n"
         "exec \"$program\"" +
         std::string(kActionSwitches) + "\"$@\"\n";
}

std::vector<TNautilusScripts::TScript> TNautilusScripts::OwnScripts() const {
  std::vector<TScript> scripts;
  std::error_code error;
  std::filesystem::directory_iterator items(directory_, error);
  if (error) {
    return scripts;
  }
  for (; items != std::filesystem::directory_iterator(); items.increment(error)) {
    const std::string path = items->path().string();
    std::string content;
    if (ReadWholeFile(path, content).Error != TFileError::None) {
      continue;
    }
    const auto keys = ReadKeyLines(content);
    const auto id = keys.find("Id");
    if (id == keys.end() || id->second != ProgramIdText()) {
      continue;
    }
    const auto value = [&keys](const std::string& key) {
      const auto found = keys.find(key);
      return found == keys.end() ? std::string() : found->second;
    };
    scripts.push_back({path,
                       {CaptionOfFileText(value("Name")), value("Program"),
                        ClassesOfListValue(value("MimeType"))}});
  }
  std::sort(scripts.begin(), scripts.end(),
            [](const TScript& a, const TScript& b) { return a.Path < b.Path; });
  return scripts;
}

std::optional<TVerbAction> TNautilusScripts::Find() const {
  const std::vector<TScript> scripts = OwnScripts();
  if (scripts.empty()) {
    return std::nullopt;
  }
  return scripts.front().Action;
}

TActionResult TNautilusScripts::Write(const TVerbAction& action) {
  const std::string target = directory_ + "/" + ScriptName(action.Caption);
  const std::vector<TScript> scripts = OwnScripts();
  const bool targetIsOwn = std::any_of(
      scripts.begin(), scripts.end(), [&](const TScript& script) { return script.Path == target; });
  struct stat st;
  if (!targetIsOwn && ::lstat(target.c_str(), &st) == 0) {
    return {EEXIST, target};  // the user's own script of that name stays
  }
  if (const int error = ReplaceOwnFile(target, Content(action), 0755); error != 0) {
    return {error, target};
  }
  // The program's script under an earlier caption, or of another copy of the program, gives
  // way: the action is one per GUID.
  for (const TScript& script : scripts) {
    if (script.Path != target && ::unlink(script.Path.c_str()) != 0 && errno != ENOENT) {
      return {errno, script.Path};
    }
  }
  return {};
}

TActionResult TNautilusScripts::Remove(const std::string& program) {
  for (const TScript& script : OwnScripts()) {
    if (script.Action.Program != program) {
      continue;
    }
    if (const int error = RemoveFileAndEmptyDirectories(script.Path, dataHome_); error != 0) {
      return {error, script.Path};
    }
  }
  return {};
}

}  // namespace quorvane
