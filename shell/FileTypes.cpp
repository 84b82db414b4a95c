#include "shell/FileTypes.h"

#include <QMimeDatabase>
#include <algorithm>
#include <map>

#include "shell/ClassNames.h"

namespace quorvane {
namespace {

// "*.htm" gives "htm"; patterns that are more than a plain suffix give nothing.
std::string ExtensionOfGlob(const QString& pattern) {
  if (!pattern.startsWith(QLatin1String("*.")) || pattern.size() < 3) {
    return {};
  }
  const QString extension = pattern.mid(2);
  for (const QChar c : extension) {
    if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') ||
        c == QLatin1Char('/') || c.isSpace()) {
      return {};
    }
  }
  return extension.toStdString();
}

}  // namespace

void TFileTypeItem::AddExtension(const std::string& extension) {
  const auto place = std::lower_bound(
      Extensions.begin(), Extensions.end(), extension,
      [](const std::string& a, const std::string& b) { return LessClassName(a, b); });
  if (place == Extensions.end() || !SameClassName(*place, extension)) {
    Extensions.insert(place, extension);
  }
}

std::string TFileTypeItem::ExtensionsText() const {
  std::string text;
  for (const std::string& extension : Extensions) {
    if (!text.empty()) {
      text += ',';
    }
    text += extension;
  }
  return text;
}

bool TFileTypeItem::HasName(std::string_view name) const {
  return SameClassName(Name, name);
}

TClassList ClassesOfExtensions(const std::vector<std::string>& extensions) {
  const QMimeDatabase database;
  TClassList classes;
  for (const std::string& extension : extensions) {
    if (extension.empty()) {
      continue;
    }
    const std::string name = "x" + (extension.front() == '.' ? extension : "." + extension);
    const QMimeType type =
        database.mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
      continue;
    }
    const std::string mimeType = type.name().toStdString();
    if (std::none_of(classes.begin(), classes.end(),
                     [&](const std::string& known) { return SameClassName(known, mimeType); })) {
      classes.push_back(mimeType);
    }
  }
  return classes;
}

std::vector<std::string> ExtensionsOfClass(std::string_view mimeType) {
  const QMimeType type =
      QMimeDatabase().mimeTypeForName(QString::fromStdString(std::string(mimeType)));
  std::vector<std::string> extensions;
  for (const QString& pattern : type.globPatterns()) {
    if (std::string extension = ExtensionOfGlob(pattern); !extension.empty()) {
      extensions.push_back(std::move(extension));
    }
  }
  return extensions;
}

std::string ClassOfExtension(std::string_view extension) {
  const TClassList classes = ClassesOfExtensions({std::string(extension)});
  return classes.empty() ? std::string() : classes.front();
}

TDocumentTypes ReadDocumentTypes() {
  const QMimeDatabase database;
  std::vector<std::string> extensions;
  for (const QMimeType& type : database.allMimeTypes()) {
    for (const QString& pattern : type.globPatterns()) {
      if (std::string extension = ExtensionOfGlob(pattern); !extension.empty()) {
        extensions.push_back(std::move(extension));
      }
    }
  }
  std::sort(extensions.begin(), extensions.end(), [](const std::string& a, const std::string& b) {
    return LessClassName(a, b) || (!LessClassName(b, a) && a < b);
  });
  extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());

  TDocumentTypes result;
  std::map<std::string, size_t> indexOfType;  // by upper-case name
  for (const std::string& extension : extensions) {
    const QMimeType type = database.mimeTypeForFile(QString::fromStdString("x." + extension),
                                                    QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
      continue;
    }
    const std::string name = type.name().toStdString();
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(), UpperChar);
    auto [known, added] = indexOfType.emplace(key, result.Types.size());
    if (added) {
      const QString comment = type.comment();
      result.Types.push_back(
          {comment.isEmpty() ? name : comment.toStdString(), TFileTypeItem{name, {}}});
    }
    result.Types[known->second].second.AddExtension(extension);
    result.Extensions.push_back(extension);
  }
  return result;
}

}  // namespace quorvane
