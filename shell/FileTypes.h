#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/ClassNames.h"

namespace quorvane {

// One document type as the context-menu dialog lists it.
struct TFileTypeItem {
  std::string Name;                     // the MIME type
  std::vector<std::string> Extensions;  // without dots, sorted without regard to case

  // Adds at the sorted place; an extension already there (in any letter case) is ignored.
  void AddExtension(const std::string& extension);
  // "htm,html": the extensions joined by commas.
  std::string ExtensionsText() const;
  bool HasName(std::string_view name) const;  // compared without regard to case
};

// Every document type that some file extension names, from the MIME database.
struct TDocumentTypes {
  // Each type with its description (the MIME type's comment in UTF-8, or its name when it
  // has none), in the order of their first extension.
  std::vector<std::pair<std::string, TFileTypeItem>> Types;
  // Every extension, without dot, sorted without regard to case.
  std::vector<std::string> Extensions;
};

TDocumentTypes ReadDocumentTypes();

// The document type that `extension` (with or without its dot) names; empty when none.
std::string ClassOfExtension(std::string_view extension);

// The document type of each extension (".htm"), each type once (compared without regard to
// case), in the order of the extensions; extensions without a type give none.
TClassList ClassesOfExtensions(const std::vector<std::string>& extensions);

// The extensions (without dot) of the glob patterns of the type, in the database's order;
// patterns that are more than a plain suffix are left out.
std::vector<std::string> ExtensionsOfClass(std::string_view mimeType);

}  // namespace quorvane
