#include "batch/SettingsStore.h"

#include "batch/ProgramId.h"
#include "platform/SettingsFile.h"
#include "support/ShownName.h"
#include "support/TextFormat.h"

namespace quorvane {

namespace {
std::string VersionPath(const std::string& versionText) {
  if (versionText.empty()) {
    return std::to_string(kVersionMajor & 0xFF) + "\\" + std::to_string(kVersionMinor & 0xFF);
  }
  return ReplaceAll(versionText, ".", "\\");
}

std::string_view TrimSlashes(std::string_view subKey) {
  while (!subKey.empty() && (subKey.front() == '\\' || subKey.front() == '/')) {
    subKey.remove_prefix(1);
  }
  while (!subKey.empty() && (subKey.back() == '\\' || subKey.back() == '/')) {
    subKey.remove_suffix(1);
  }
  return subKey;
}
}  // namespace

TSettingsStore::TSettingsStore(const std::string& appName, const std::string& versionText)
    : key_("\\Software\\Brennik\\" + appName + "\\" + VersionPath(versionText)),
      group_(TSettingsFile::GroupForKey(key_)),
      file_(std::make_unique<TSettingsFile>()) {}

TSettingsStore::~TSettingsStore() = default;

std::string TSettingsStore::GroupOf(std::string_view subKey) const {
  subKey = TrimSlashes(subKey);
  return subKey.empty() ? group_ : group_ + "/" + ReplaceAll(subKey, "\\", "/");
}

bool TSettingsStore::OpenAppKey(std::string_view subKey, bool canCreate) {
  const std::string group = GroupOf(subKey);
  if (!canCreate && !file_->KeyExists(group)) {
    return false;
  }
  current_ = group;
  open_ = true;
  return true;
}

void TSettingsStore::CloseKey() {
  open_ = false;
  current_.clear();
}

bool TSettingsStore::ValueExists(const std::string& name) const {
  return open_ && file_->ValueExists(current_, name);
}

std::optional<std::string> TSettingsStore::ReadString(const std::string& name) const {
  return open_ ? file_->ReadString(current_, name) : std::nullopt;
}

std::optional<int32_t> TSettingsStore::ReadInteger(const std::string& name) const {
  return open_ ? file_->ReadInteger(current_, name) : std::nullopt;
}

std::optional<bool> TSettingsStore::ReadBool(const std::string& name) const {
  const auto value = ReadInteger(name);
  return value ? std::optional<bool>(*value != 0) : std::nullopt;
}

void TSettingsStore::Write(const std::string& name, const std::string& value) {
  if (open_) {
    file_->WriteString(current_, name, value);
  }
}

void TSettingsStore::Write(const std::string& name, int32_t value) {
  if (open_) {
    file_->WriteInteger(current_, name, value);
  }
}

void TSettingsStore::Write(const std::string& name, bool value) {
  Write(name, static_cast<int32_t>(value ? 1 : 0));
}

void TSettingsStore::DeleteValue(const std::string& name) {
  if (open_) {
    file_->DeleteValue(current_, name);
  }
}

void TSettingsStore::DeleteAppKey(std::string_view subKey) {
  file_->DeleteKey(GroupOf(subKey));
}

void TSettingsStore::Flush() {
  if (!file_->Sync()) {
    throw TSettingsError("cannot write the settings to " + ShownName(file_->FilePath()));
  }
}

void TSettingsStore::RestorePlacement() {
  if (form_ == nullptr) {
    return;
  }
  if (!OpenAppKey(form_->ComponentName(), false)) {
    form_->CenterOnScreen();
    return;
  }
  const auto state = ReadInteger("State");
  const auto top = ReadInteger("Top");
  const auto right = ReadInteger("Right");
  const auto bottom = ReadInteger("Bottom");
  const auto left = ReadInteger("Left");
  CloseKey();
  if (!state) {
    return;
  }
  if (top && right && bottom && left) {
    form_->SetNormalRect({*state, *top, *right, *bottom, *left});
  }
  form_->SetWindowState(*state);
}

void TSettingsStore::SavePlacement() {
  if (form_ == nullptr || !OpenAppKey(form_->ComponentName(), true)) {
    return;
  }
  const TWindowPlacement placement = form_->Placement();
  Write("State", placement.State);
  Write("Top", placement.Top);
  Write("Right", placement.Right);
  Write("Bottom", placement.Bottom);
  Write("Left", placement.Left);
  CloseKey();
}

std::optional<TFontSettings> TSettingsStore::LoadFont() {
  if (!OpenAppKey("Font", false)) {
    return std::nullopt;
  }
  TFontSettings font;
  font.CharSet = ReadInteger("CharSet").value_or(font.CharSet);
  font.Color = ReadInteger("Color").value_or(font.Color);
  font.Height = ReadInteger("Height").value_or(font.Height);
  font.Pitch = ReadInteger("Pitch").value_or(font.Pitch);
  font.Size = ReadInteger("Size").value_or(font.Size);
  font.Name = ReadString("Name").value_or(font.Name);
  font.Bold = ReadBool("Bold").value_or(font.Bold);
  font.Italic = ReadBool("Italic").value_or(font.Italic);
  font.Underline = ReadBool("Underline").value_or(font.Underline);
  font.Strikeout = ReadBool("Strikeout").value_or(font.Strikeout);
  CloseKey();
  return font;
}

void TSettingsStore::SaveFont(const TFontSettings& font) {
  OpenAppKey("Font", true);
  Write("CharSet", font.CharSet);
  Write("Color", font.Color);
  Write("Height", font.Height);
  Write("Pitch", font.Pitch);
  Write("Size", font.Size);
  Write("Name", font.Name);
  Write("Bold", font.Bold);
  Write("Italic", font.Italic);
  Write("Underline", font.Underline);
  Write("Strikeout", font.Strikeout);
  CloseKey();
}

TSettingsStore& SettingsStore() {
  static TSettingsStore instance("Quorvane");
  return instance;
}

}  // namespace quorvane
