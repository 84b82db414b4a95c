#pragma once

#include <string>
#include <string_view>

#include "shell/ActionFiles.h"

namespace quorvane {

// An action that is one key file of its own, named after the program's GUID.
class TKeyFileAction : public TFileManagerActions {
 public:
  std::optional<TVerbAction> Find() const override;
  TActionResult Write(const TVerbAction& action) override;
  TActionResult Remove(const std::string& program) override;

  const std::string& Path() const { return path_; }

 protected:
  TKeyFileAction(std::string dataHome, std::string path, mode_t mode);

  virtual std::string Content(const TVerbAction& action) const = 0;
  virtual TVerbAction Parse(std::string_view content) const = 0;

 private:
  std::string dataHome_;
  std::string path_;
  mode_t mode_;
};

// KDE Dolphin's service menu, $XDG_DATA_HOME/kio/servicemenus/<name>.desktop. Dolphin runs
// only executable ones.
class TDolphinServiceMenu : public TKeyFileAction {
 public:
  explicit TDolphinServiceMenu(const std::string& dataHome);

 protected:
  std::string Content(const TVerbAction& action) const override;
  TVerbAction Parse(std::string_view content) const override;
};

// Cinnamon Nemo's action, $XDG_DATA_HOME/nemo/actions/<name>.nemo_action.
class TNemoAction : public TKeyFileAction {
 public:
  explicit TNemoAction(const std::string& dataHome);

  // Nemo splits its command line as the shell does and expands only the field code at the first
  // "%": a program path with a "%" is spelled out by printf in a shell instead.
  static std::string CommandLine(std::string_view program);

 protected:
  std::string Content(const TVerbAction& action) const override;
  TVerbAction Parse(std::string_view content) const override;
};

}  // namespace quorvane
