#include "shell/ClassNames.h"

namespace quorvane {
namespace {

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
}

bool IsName(std::string_view text) {
  if (text.empty() || !IsNameCharacter(text[0]) ||
      std::string_view("!#$&^_.+-").find(text[0]) != std::string_view::npos) {
    return false;
  }
  return std::all_of(text.begin(), text.end(), IsNameCharacter);
}

}  // namespace

bool IsValidClassName(std::string_view mimeType) {
  const size_t slash = mimeType.find('/');
  return slash != std::string_view::npos && IsName(mimeType.substr(0, slash)) &&
         IsName(mimeType.substr(slash + 1));
}

void SortClassNames(TClassList& classes) {
  std::sort(classes.begin(), classes.end(),
            [](const std::string& a, const std::string& b) { return LessClassName(a, b); });
  classes.erase(
      std::unique(classes.begin(), classes.end(),
                  [](const std::string& a, const std::string& b) { return SameClassName(a, b); }),
      classes.end());
}

}  // namespace quorvane
