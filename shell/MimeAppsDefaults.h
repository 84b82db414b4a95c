#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The user's choice of default applications, $XDG_CONFIG_HOME/mimeapps.list. A verb entry in
// the user's applications directory outranks the system's applications, so where no default is
// chosen for a document type it would become the type's default opener: opening a page would
// compress it. Before the first entry for a type is written, the default that applies then is
// made the user's explicit choice, which changes nothing the user sees.
class TMimeAppsDefaults {
 public:
  TMimeAppsDefaults();
  explicit TMimeAppsDefaults(std::string filePath);

  const std::string& FilePath() const { return filePath_; }

  // Whether the user's file names a default for the type.
  bool HasDefault(std::string_view mimeType) const;
  // Adds the default to the file, creating it when needed; other content stays. 0 or errno.
  int AddDefault(std::string_view mimeType, std::string_view desktopId);

  // The desktop file id that opens the type now, as the desktop's tools tell it (xdg-mime,
  // else gio); empty when there is none or no tool to ask.
  static std::string CurrentDefault(std::string_view mimeType);

  // Makes the current default of the type explicit unless the user chose one or there is
  // none, or it is `ownId`. Failures are passed over: this only keeps things as they are.
  void KeepCurrentDefault(std::string_view mimeType, std::string_view ownId);

 private:
  std::string filePath_;
};

}  // namespace quorvane
