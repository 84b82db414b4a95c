#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QSettings;
class QString;
class QVariant;

namespace quorvane {

// The per-user settings store: an INI file per application, $XDG_CONFIG_HOME/Brennik/<App>.conf
// (~/.config when XDG_CONFIG_HOME is unset). A settings key \Software\Brennik\<App>\A\B is the
// group "A/B" in that application's file; a key's default value is the value named "Default".
// Strings are byte strings: UTF-8 text is stored as text, anything else as escaped bytes, so
// every value comes back exactly as it was written.
class TSettingsFile {
 public:
  // The file of this program, "Quorvane".
  TSettingsFile();
  explicit TSettingsFile(const std::string& filePath);
  ~TSettingsFile();
  TSettingsFile(const TSettingsFile&) = delete;
  TSettingsFile& operator=(const TSettingsFile&) = delete;

  // $XDG_CONFIG_HOME or ~/.config, without a trailing "/".
  static std::string ConfigDirectory();
  static std::string FileForApp(std::string_view appName);
  // The file holding `storeKey` ("\Software\Brennik\<App>\..."); "" for any other key.
  static std::string FileForKey(std::string_view storeKey);
  // "\Software\Brennik\Quorvane\1\7\Font" gives "1/7/Font"; "\" and "/" both separate. A key
  // outside \Software\Brennik\<App> gives its whole path.
  static std::string GroupForKey(std::string_view storeKey);

  const std::string& FilePath() const { return filePath_; }

  bool KeyExists(std::string_view group) const;
  bool ValueExists(std::string_view group, std::string_view name) const;
  std::optional<std::string> ReadString(std::string_view group, std::string_view name) const;
  // A value that is not a 32-bit decimal integer counts as absent, with a warning.
  std::optional<int32_t> ReadInteger(std::string_view group, std::string_view name) const;
  std::vector<std::string> ValueNames(std::string_view group) const;

  void WriteString(std::string_view group, std::string_view name, std::string_view value);
  void WriteInteger(std::string_view group, std::string_view name, int32_t value);
  void DeleteValue(std::string_view group, std::string_view name);
  // Removes the group and everything below it.
  void DeleteKey(std::string_view group);
  // Removes the group; when the file then holds nothing, deletes the file and, when that leaves
  // it empty, the Brennik directory of the configuration directory.
  void RemoveKeyAndEmptyParents(std::string_view group);

  // Writes pending changes; false when the file could not be written (or removed).
  bool Sync();

 private:
  void Open();
  void WarnIfUnreadable() const;
  void Warn(const std::string& message) const;
  QString Key(std::string_view group, std::string_view name) const;
  // Removes `key` (value or group) and gives back what QSettings drops along with it: the value
  // of the same name as a group, and the group of the same name as a value.
  void RemoveKeepingNamesake(const QString& key, bool asGroup);

  std::string filePath_;
  std::unique_ptr<QSettings> settings_;
  bool dirty_ = false;
  bool removalFailed_ = false;
  mutable bool warned_ = false;
};

}  // namespace quorvane
