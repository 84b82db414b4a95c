#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/ClassNames.h"

namespace quorvane {

// The compress command as one file manager's context menu holds it.
struct TVerbAction {
  std::string Caption;  // Windows-1252, as the program's texts
  std::string Program;  // the absolute path of the program file it runs
  TClassList Classes;   // the document types it is offered for
};

// The outcome of a change: 0, or the errno of the failure and the file it concerns.
struct TActionResult {
  int Error = 0;
  std::string Path;
};

// Where one file manager keeps its context-menu actions. Each keeps at most one action of this
// program's GUID, which every copy of the program shares, as it shares the verb name; the
// action names the program file that it runs.
class TFileManagerActions {
 public:
  virtual ~TFileManagerActions() = default;

  // The action of the program's GUID, when there is one.
  virtual std::optional<TVerbAction> Find() const = 0;
  // Writes the action in place of the one there; every file is replaced atomically.
  virtual TActionResult Write(const TVerbAction& action) = 0;
  // Removes the action when it runs `program`, and the directories that this leaves empty;
  // the action of another program file stays.
  virtual TActionResult Remove(const std::string& program) = 0;
};

// The XDG base directories that the file managers read, without trailing "/".
struct TActionDirectories {
  std::string DataHome;                 // $XDG_DATA_HOME, else ~/.local/share
  std::string ConfigHome;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::string> ConfigDirs;  // $XDG_CONFIG_DIRS, else /etc/xdg

  static TActionDirectories FromEnvironment();
};

// KDE Dolphin, GNOME Files, Cinnamon Nemo and Xfce Thunar, in this order.
std::vector<std::unique_ptr<TFileManagerActions>> AllFileManagerActions(
    const TActionDirectories& directories);

// What the action files share.

// "quorvane-00000701-75e7-11d7-0266-00a024502a20": the program's GUID as file names hold it.
std::string ActionName();

// The command line's switches before the selected files: client/server mode, and the paths
// are file names, not masks.
inline constexpr std::string_view kActionSwitches = " -s -l ";

// Replaces `path` with `content` through a temporary file beside it (creating the directories
// up to it); a new file gets `mode`. 0 or errno.
int ReplaceOwnFile(const std::string& path, std::string_view content, mode_t mode);

// Removes `path` (a file already gone is no failure), then each directory above it that this
// leaves empty, up to but not including `top`. 0 or errno.
int RemoveFileAndEmptyDirectories(const std::string& path, const std::string& top);

// "text/html;text/plain;": a list of types as the files hold it, and back (names that are no
// valid type left out).
std::string ClassListValue(const TClassList& classes);
TClassList ClassesOfListValue(std::string_view value);

// The caption as the files hold it (UTF-8), and back.
std::string CaptionFileText(std::string_view caption);
std::string CaptionOfFileText(std::string_view text);

// The extensions of the types that a file name pattern may list: without characters that
// such patterns or shell scripts treat specially.
std::vector<std::string> PatternExtensions(const TClassList& classes);

}  // namespace quorvane
