#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "support/Win1252.h"

namespace quorvane {

// Document types (MIME types) in a plain list.
using TClassList = std::vector<std::string>;

// Document type names and extensions compare without regard to case, as MIME types do.
inline bool LessClassName(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(UpperChar(x)) < static_cast<unsigned char>(UpperChar(y));
  });
}

inline bool SameClassName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameCharNoCase);
}

// A MIME type "type/subtype" made of the characters such names allow. Other names (an empty
// one, for instance) cannot stand in the lists of the action files and are never written.
bool IsValidClassName(std::string_view mimeType);

// Sorted without regard to case, each name once.
void SortClassNames(TClassList& classes);

}  // namespace quorvane
