#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/ActionFiles.h"

namespace quorvane {

// Xfce Thunar's custom actions: the <action> elements of $XDG_CONFIG_HOME/Thunar/uca.xml, a file
// that also holds the user's own actions. The program's action is told by its <unique-id>; the
// rest of the file is kept byte for byte. Thunar offers an action for file name patterns, not
// types: the patterns are the extensions of the types, and the types are read back from them.
class TThunarActions : public TFileManagerActions {
 public:
  explicit TThunarActions(const TActionDirectories& directories);

  std::optional<TVerbAction> Find() const override;
  TActionResult Write(const TVerbAction& action) override;
  TActionResult Remove(const std::string& program) override;

  const std::string& Path() const { return path_; }

  // Thunar runs the command through the shell after expanding its field codes ("%%" for "%").
  static std::string CommandLine(std::string_view program);

 private:
  // What the user's file starts from when there is none: the system's actions that apply
  // without it, else an empty list.
  std::string DefaultContent() const;

  std::string configHome_;
  std::vector<std::string> configDirs_;
  std::string path_;
};

}  // namespace quorvane
