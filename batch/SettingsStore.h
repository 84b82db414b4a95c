#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvane {

class TSettingsFile;

// A settings write that the settings file refused; its message is a program text.
class TSettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The main window's state and normal-position rectangle.
struct TWindowPlacement {
  int32_t State = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Left = 0;
};

// A window whose placement the settings keep (the main window).
class IPlacedWindow {
 public:
  virtual ~IPlacedWindow() = default;
  virtual std::string ComponentName() const = 0;
  virtual TWindowPlacement Placement() const = 0;
  virtual void SetNormalRect(const TWindowPlacement& rect) = 0;
  virtual void SetWindowState(int32_t state) = 0;
  virtual void CenterOnScreen() = 0;
};

struct TFontSettings {
  int32_t CharSet = 0;
  int32_t Color = 0;
  int32_t Height = -13;
  int32_t Pitch = 0;
  int32_t Size = 10;
  std::string Name = "Monospace";
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikeout = false;
};

// The program's settings key "\Software\Brennik\<AppName>\<major>\<minor>" and its subkeys.
class TSettingsStore {
 public:
  // `versionText` ("1.7") replaces the program file's own version when given.
  explicit TSettingsStore(const std::string& appName, const std::string& versionText = {});
  ~TSettingsStore();

  const std::string& Key() const { return key_; }
  // Opens the settings key, or `subKey` below it; without `canCreate` only an existing one.
  bool OpenAppKey(std::string_view subKey, bool canCreate);
  void CloseKey();

  bool ValueExists(const std::string& name) const;
  std::optional<std::string> ReadString(const std::string& name) const;
  std::optional<int32_t> ReadInteger(const std::string& name) const;
  std::optional<bool> ReadBool(const std::string& name) const;
  void Write(const std::string& name, const std::string& value);
  void Write(const std::string& name, const char* value) { Write(name, std::string(value)); }
  void Write(const std::string& name, int32_t value);
  void Write(const std::string& name, bool value);
  void DeleteValue(const std::string& name);
  // Deletes `subKey` below the settings key with everything under it.
  void DeleteAppKey(std::string_view subKey);
  // Writes pending changes; throws TSettingsError when the settings file refuses them.
  void Flush();

  void SetForm(IPlacedWindow* form) { form_ = form; }
  void RestorePlacement();
  void SavePlacement();
  std::optional<TFontSettings> LoadFont();
  void SaveFont(const TFontSettings& font);

  TSettingsFile& File() { return *file_; }

 private:
  std::string GroupOf(std::string_view subKey) const;

  std::string key_;
  std::string group_;    // the settings file's group of the key
  std::string current_;  // the open key's group; empty when none is open
  bool open_ = false;
  std::unique_ptr<TSettingsFile> file_;
  IPlacedWindow* form_ = nullptr;
};

// The settings of this process, created on first use.
TSettingsStore& SettingsStore();

}  // namespace quorvane
