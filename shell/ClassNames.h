#pragma once

#include <algorithm>
#include <string_view>

#include "support/Win1252.h"

namespace quorvane {

// Document type names and extensions compare without regard to case, as MIME types do.
inline bool LessClassName(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(UpperChar(x)) < static_cast<unsigned char>(UpperChar(y));
  });
}

inline bool SameClassName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameCharNoCase);
}

}  // namespace quorvane
