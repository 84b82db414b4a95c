#include "platform/SettingsFile.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <iostream>

#include "support/Paths.h"
#include "support/ShownName.h"

namespace quorvane {
namespace {

constexpr std::string_view kVendor = "Brennik";

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

std::vector<std::string_view> KeyComponents(std::string_view key) {
  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find_first_of("\\/", start);
    if (end == std::string_view::npos) {
      end = key.size();
    }
    if (end > start) {
      components.push_back(key.substr(start, end - start));
    }
    start = end + 1;
  }
  return components;
}

bool IsProgramKey(const std::vector<std::string_view>& components) {
  return components.size() >= 3 && SameAsciiNoCase(components[0], "Software") &&
         SameAsciiNoCase(components[1], kVendor);
}

QString FromBytes(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Text that is valid UTF-8 stays readable in the file; other bytes (Windows-1252 text, for
// example) are stored as a byte array, which QSettings escapes.
QVariant StoredForm(std::string_view value) {
  const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
  const QString text = QString::fromUtf8(bytes);
  if (text.toUtf8() == bytes) {
    return text;
  }
  return bytes;
}

std::optional<std::string> TextOf(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QByteArray:
      return ToBytes(value.toByteArray());
    case QMetaType::QString:
      return ToBytes(value.toString().toUtf8());
    case QMetaType::QStringList:  // an unquoted value with commas, edited by hand
      return ToBytes(value.toStringList().join(',').toUtf8());
    default:
      if (value.canConvert<QString>()) {
        return ToBytes(value.toString().toUtf8());
      }
      return std::nullopt;
  }
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// Something at the name that is no regular file (a FIFO, a device, a directory) would block or
// harm when opened: it counts as no settings file at all.
bool IsSomethingElseThanAFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

}  // namespace

TSettingsFile::TSettingsFile() : TSettingsFile(FileForApp("Quorvane")) {}

TSettingsFile::TSettingsFile(const std::string& filePath) : filePath_(filePath) {
  Open();
}

TSettingsFile::~TSettingsFile() = default;

void TSettingsFile::Open() {
  QString name = QFile::decodeName(QByteArray::fromStdString(filePath_));
  if (IsSomethingElseThanAFile(filePath_)) {
    // Without a name QSettings reads nothing and refuses every write, so that what is at the
    // name is never opened.
    Warn("is not a regular file; the settings take their defaults and are not saved");
    warned_ = true;
    name.clear();
  }
  settings_ = std::make_unique<QSettings>(name, QSettings::IniFormat);
  settings_->childGroups();  // QSettings parses on first use; damage is reported now
  WarnIfUnreadable();
}

std::string TSettingsFile::ConfigDirectory() {
  // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directories demand.
  const char* configured = std::getenv("XDG_CONFIG_HOME");
  std::string directory = configured != nullptr && configured[0] == '/'
                              ? std::string(configured)
                              : HomeDirectory() + "/.config";
  while (directory.size() > 1 && directory.back() == '/') {
    directory.pop_back();
  }
  return directory;
}

std::string TSettingsFile::FileForApp(std::string_view appName) {
  return ConfigDirectory() + "/" + std::string(kVendor) + "/" + std::string(appName) + ".conf";
}

std::string TSettingsFile::FileForKey(std::string_view storeKey) {
  const auto components = KeyComponents(storeKey);
  return IsProgramKey(components) ? FileForApp(components[2]) : std::string();
}

std::string TSettingsFile::GroupForKey(std::string_view storeKey) {
  const auto components = KeyComponents(storeKey);
  std::string group;
  for (size_t i = IsProgramKey(components) ? 3 : 0; i < components.size(); ++i) {
    if (!group.empty()) {
      group += '/';
    }
    group += components[i];
  }
  return group;
}

QString TSettingsFile::Key(std::string_view group, std::string_view name) const {
  if (group.empty()) {
    return FromBytes(name);
  }
  return FromBytes(group) + QLatin1Char('/') + FromBytes(name);
}

void TSettingsFile::Warn(const std::string& message) const {
  std::cerr << "quorvane: settings file " << DisplayName(filePath_) << ": " << message << '\n';
}

void TSettingsFile::WarnIfUnreadable() const {
  if (warned_) {
    return;
  }
  const QSettings::Status status = settings_->status();
  if (status == QSettings::FormatError ||
      (status == QSettings::AccessError && ::access(filePath_.c_str(), F_OK) == 0)) {
    Warn("cannot be read in full; unreadable settings take their defaults");
    warned_ = true;
  }
}

bool TSettingsFile::KeyExists(std::string_view group) const {
  if (group.empty()) {
    return !settings_->allKeys().isEmpty();
  }
  settings_->beginGroup(FromBytes(group));
  const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
  settings_->endGroup();
  return exists;
}

bool TSettingsFile::ValueExists(std::string_view group, std::string_view name) const {
  return settings_->contains(Key(group, name));
}

std::optional<std::string> TSettingsFile::ReadString(std::string_view group,
                                                     std::string_view name) const {
  const QVariant value = settings_->value(Key(group, name));
  if (!value.isValid()) {
    return std::nullopt;
  }
  std::optional<std::string> text = TextOf(value);
  if (!text) {
    Warn("value \"" + std::string(name) + "\" in [" + std::string(group) +
         "] is not a text; its default applies");
  }
  return text;
}

std::optional<int32_t> TSettingsFile::ReadInteger(std::string_view group,
                                                  std::string_view name) const {
  const std::optional<std::string> text = ReadString(group, name);
  if (!text) {
    return std::nullopt;
  }
  const std::optional<int32_t> value = ParseInteger(*text);
  if (!value) {
    Warn("value \"" + std::string(name) + "\" in [" + std::string(group) + "] is \"" + *text +
         "\", not a whole number; its default applies");
  }
  return value;
}

std::vector<std::string> TSettingsFile::ValueNames(std::string_view group) const {
  settings_->beginGroup(FromBytes(group));
  const QStringList keys = settings_->childKeys();
  settings_->endGroup();
  std::vector<std::string> names;
  for (const QString& key : keys) {
    if (!key.isEmpty()) {
      names.push_back(ToBytes(key.toUtf8()));
    }
  }
  return names;
}

void TSettingsFile::WriteString(std::string_view group, std::string_view name,
                                std::string_view value) {
  settings_->setValue(Key(group, name), StoredForm(value));
  dirty_ = true;
}

void TSettingsFile::WriteInteger(std::string_view group, std::string_view name, int32_t value) {
  settings_->setValue(Key(group, name), QString::number(value));
  dirty_ = true;
}

void TSettingsFile::RemoveKeepingNamesake(const QString& key, bool asGroup) {
  QList<std::pair<QString, QVariant>> kept;
  if (asGroup && settings_->contains(key)) {
    kept.append({key, settings_->value(key)});
  }
  if (!asGroup) {
    settings_->beginGroup(key);
    const QStringList below = settings_->allKeys();
    for (const QString& name : below) {
      kept.append({key + QLatin1Char('/') + name, settings_->value(name)});
    }
    settings_->endGroup();
  }
  settings_->remove(key);
  for (const auto& [name, value] : kept) {
    settings_->setValue(name, value);
  }
  dirty_ = true;
}

void TSettingsFile::DeleteValue(std::string_view group, std::string_view name) {
  const QString key = Key(group, name);
  if (settings_->contains(key)) {
    RemoveKeepingNamesake(key, false);
  }
}

void TSettingsFile::DeleteKey(std::string_view group) {
  if (group.empty()) {
    settings_->clear();
    dirty_ = true;
    return;
  }
  RemoveKeepingNamesake(FromBytes(group), true);
}

void TSettingsFile::RemoveKeyAndEmptyParents(std::string_view group) {
  // Groups exist only through what they hold, so parents left empty are gone with the key.
  DeleteKey(group);
  if (!settings_->allKeys().isEmpty() || !Sync()) {
    return;
  }
  if (::unlink(filePath_.c_str()) != 0 && errno != ENOENT) {
    removalFailed_ = true;
    return;
  }
  const std::string vendorDirectory = ConfigDirectory() + "/" + std::string(kVendor);
  if (ExtractFilePath(filePath_) == vendorDirectory + "/") {
    ::rmdir(vendorDirectory.c_str());  // fails, as it should, while other files remain
  }
}

bool TSettingsFile::Sync() {
  settings_->sync();
  WarnIfUnreadable();
  const QSettings::Status status = settings_->status();
  if (status == QSettings::AccessError) {
    return false;
  }
  if (status == QSettings::FormatError && dirty_) {
    // A damaged file's format error would hide a failed write; a file that was written anew
    // reads cleanly, so read it again.
    auto reread = std::make_unique<QSettings>(settings_->fileName(), QSettings::IniFormat);
    if (reread->status() != QSettings::NoError) {
      return false;
    }
    settings_ = std::move(reread);
  }
  dirty_ = false;
  return !removalFailed_;
}

}  // namespace quorvane
