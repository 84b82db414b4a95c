#include "shell/Installation.h"

#include <unistd.h>

#include <string>

#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "batch/Messages.h"
#include "batch/ProgramId.h"
#include "batch/SettingsStore.h"
#include "engine/TagsCommaList.h"
#include "lang/Language.h"
#include "platform/SettingsFile.h"
#include "shell/ContextMenu.h"
#include "support/Paths.h"

namespace quorvane {
namespace {

void ReportSettingsError(const TSettingsError& error) {
  Messages().Error(std::string(error.what()));
}

void WriteDefaultTagList(TSettingsStore& reg) {
  if (reg.OpenAppKey({}, true)) {
    reg.Write("BreakTags", std::string(kDefaultTagListText));
    reg.CloseKey();
  }
  reg.Flush();
}

// Removes the settings key; the groups above it, the file and the vendor directory go when
// nothing else is left in them.
void DeleteSettingsKey(TSettingsStore& reg) {
  TSettingsFile& file = reg.File();
  if (::access(file.FilePath().c_str(), F_OK) != 0) {
    const std::string vendorDirectory(ExtractFilePath(file.FilePath()));
    ::rmdir(vendorDirectory.c_str());  // fails, as it should, while it holds anything
    return;
  }
  file.RemoveKeyAndEmptyParents(TSettingsFile::GroupForKey(reg.Key()));
  reg.Flush();
}

}  // namespace

int InstallOrDeinstall(bool deinstall) {
  LoadLanguageForMessages();
  TSettingsStore reg("Quorvane", ProgramVersionText());
  bool settingsFailed = false;
  TClassList classes;
  if (!deinstall) {
    try {
      WriteDefaultTagList(reg);
    } catch (const TSettingsError& error) {
      ReportSettingsError(error);
      return 1;
    }
    classes = DefaultExtensionClasses();
  } else {
    try {
      DeleteSettingsKey(reg);
    } catch (const TSettingsError& error) {
      // The verb entries are still removed: they are what the user sees.
      ReportSettingsError(error);
      settingsFailed = true;
    }
    classes = FindRegisteredClasses(ContextMenuCommandLine());
  }
  const bool completed = RegisterContextMenu(classes, !deinstall);
  return completed && !settingsFailed ? 0 : 1;
}

}  // namespace quorvane
