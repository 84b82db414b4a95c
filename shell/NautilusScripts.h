#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/ActionFiles.h"

namespace quorvane {

// GNOME Files' scripts, $XDG_DATA_HOME/nautilus/scripts: each executable file there is a menu
// entry named after the file. The program's script is named after the caption and carries
// its identity in comment lines; it passes on only the selected files of its document types,
// which it tells by their extensions, since GNOME Files offers scripts for every file.
class TNautilusScripts : public TFileManagerActions {
 public:
  explicit TNautilusScripts(std::string dataHome);

  std::optional<TVerbAction> Find() const override;
  TActionResult Write(const TVerbAction& action) override;
  TActionResult Remove(const std::string& program) override;

  const std::string& Directory() const { return directory_; }
  // The file name for a caption: no "/", no leading ".", no control characters.
  static std::string ScriptName(std::string_view caption);
  static std::string Content(const TVerbAction& action);

 private:
  struct TScript {
    std::string Path;
    TVerbAction Action;
  };
  // The scripts of the program's GUID, sorted by name.
  std::vector<TScript> OwnScripts() const;

  std::string dataHome_;
  std::string directory_;
};

}  // namespace quorvane
