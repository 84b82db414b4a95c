#include "shell/KeyFileActions.h"

#include <map>

#include "batch/ProgramId.h"
#include "platform/FileContent.h"
#include "shell/DesktopEntryText.h"
#include "shell/ShellWords.h"

namespace quorvane {
namespace {

constexpr char kIdKey[] = "X-Quorvane-Id";
constexpr char kProgramKey[] = "X-Quorvane-Program";
constexpr char kDolphinActionGroup[] = "Desktop Action compress";

std::string Line(std::string_view key, std::string_view value) {
  return std::string(key) + "=" + EscapeDesktopValue(value) + "\n";
}

std::string ValueOf(const std::map<std::string, std::string>& keys, const std::string& key) {
  const auto found = keys.find(key);
  return found == keys.end() ? std::string() : found->second;
}

}  // namespace

TKeyFileAction::TKeyFileAction(std::string dataHome, std::string path, mode_t mode)
    : dataHome_(std::move(dataHome)), path_(std::move(path)), mode_(mode) {}

std::optional<TVerbAction> TKeyFileAction::Find() const {
  std::string content;
  if (ReadWholeFile(path_, content).Error != TFileError::None) {
    return std::nullopt;
  }
  return Parse(content);
}

TActionResult TKeyFileAction::Write(const TVerbAction& action) {
  return {ReplaceOwnFile(path_, Content(action), mode_), path_};
}

TActionResult TKeyFileAction::Remove(const std::string& program) {
  const std::optional<TVerbAction> action = Find();
  if (!action || action->Program != program) {
    return {};
  }
  return {RemoveFileAndEmptyDirectories(path_, dataHome_), path_};
}

TDolphinServiceMenu::TDolphinServiceMenu(const std::string& dataHome)
    : TKeyFileAction(dataHome, dataHome + "/kio/servicemenus/" + ActionName() + ".desktop", 0755) {}

std::string TDolphinServiceMenu::Content(const TVerbAction& action) const {
  return "[Desktop Entry]\nType=Service\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\n" +
         Line("MimeType", ClassListValue(action.Classes)) + "Actions=compress\n" +
         Line(kIdKey, ProgramIdText()) + Line(kProgramKey, action.Program) + "\n[" +
         kDolphinActionGroup + "]\n" + Line("Name", CaptionFileText(action.Caption)) +
         "Icon=quorvane\n" +
         Line("Exec", QuoteExecArgument(action.Program) + std::string(kActionSwitches) + "%F");
}

TVerbAction TDolphinServiceMenu::Parse(std::string_view content) const {
  const auto entry = ReadKeyFileGroup(content, "Desktop Entry");
  const auto verb = ReadKeyFileGroup(content, kDolphinActionGroup);
  return {CaptionOfFileText(ValueOf(verb, "Name")), ValueOf(entry, kProgramKey),
          ClassesOfListValue(ValueOf(entry, "MimeType"))};
}

TNemoAction::TNemoAction(const std::string& dataHome)
    : TKeyFileAction(dataHome, dataHome + "/nemo/actions/" + ActionName() + ".nemo_action", 0644) {}

std::string TNemoAction::CommandLine(std::string_view program) {
  const std::string files = std::string(kActionSwitches) + "%F";
  if (program.find('%') == std::string_view::npos) {
    return QuoteShellWord(program) + files;
  }
  const std::string script = "exec \"$(printf '" + OctalPrintfFormat(program) + "')\"" +
                             std::string(kActionSwitches) + "\"$@\"";
  return "sh -c " + QuoteShellWord(script) + " sh %F";
}

std::string TNemoAction::Content(const TVerbAction& action) const {
  return "[Nemo Action]\n" + Line("Name", CaptionFileText(action.Caption)) +
         Line("Exec", CommandLine(action.Program)) + "Icon-Name=quorvane\nSelection=notnone\n" +
         Line("Mimetypes", ClassListValue(action.Classes)) + "Quote=double\n" +
         Line(kIdKey, ProgramIdText()) + Line(kProgramKey, action.Program);
}

TVerbAction TNemoAction::Parse(std::string_view content) const {
  const auto keys = ReadKeyFileGroup(content, "Nemo Action");
  return {CaptionOfFileText(ValueOf(keys, "Name")), ValueOf(keys, kProgramKey),
          ClassesOfListValue(ValueOf(keys, "Mimetypes"))};
}

}  // namespace quorvane
