#include "lang/Accelerators.h"
#include "support/Win1252.h"

#include <bitset>
#include <optional>

#include "lang/Language.h"
#include "support/TextIds.h"

namespace quorvane {

// Each "&&" pair becomes one "&", which never qualifies as an accelerator and is doubled again
// when a caption is written back.
std::string CaptionWithoutMarks(const std::string& caption) {
  std::string plain;
  plain.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      plain += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      plain += '&';
      ++i;
    }
  }
  return plain;
}

namespace {

bool Qualifies(char c, const std::bitset<256>& used) {
  const bool letterOrDigit =
      (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  return letterOrDigit && !used[static_cast<unsigned char>(AsciiUpper(c))];
}

std::optional<size_t> ChooseAccelerator(const std::string& plain, const std::bitset<256>& used) {
  if (plain.empty()) {
    return std::nullopt;
  }
  if (Qualifies(plain[0], used)) {
    return 0;
  }
  for (size_t i = 1; i < plain.size(); ++i) {
    if (plain[i - 1] == ' ' && Qualifies(plain[i], used)) {
      return i;
    }
  }
  for (size_t i = 1; i < plain.size(); ++i) {
    if (Qualifies(plain[i], used)) {
      return i;
    }
  }
  return std::nullopt;
}

std::string WithMark(const std::string& plain, std::optional<size_t> accelerator) {
  std::string caption;
  caption.reserve(plain.size() + 2);
  for (size_t i = 0; i < plain.size(); ++i) {
    if (accelerator == i) {
      caption += '&';
    }
    caption += plain[i];
    if (plain[i] == '&') {
      caption += '&';
    }
  }
  return caption;
}

}  // namespace

void AssignAccelerators(std::vector<std::string>& captions) {
  std::bitset<256> used;
  for (std::string& caption : captions) {
    const std::string plain = CaptionWithoutMarks(caption);
    const std::optional<size_t> accelerator = ChooseAccelerator(plain, used);
    if (accelerator) {
      used.set(static_cast<unsigned char>(AsciiUpper(plain[*accelerator])));
    }
    caption = WithMark(plain, accelerator);
  }
}

namespace {

std::string KeyName(std::string_view key) {
  const std::string_view name = key == "Return" ? "Enter" : key;
  for (size_t index = 0; index < std::size(kMenuKeyNames); ++index) {
    if (kMenuKeyNames[index] == name) {
      return GetText(textid::kMenuKeyNamesBase + static_cast<uint32_t>(index), key);
    }
  }
  return std::string(key);
}

}  // namespace

std::string MenuShortcutText(std::string_view portableText) {
  if (!LanguageInitialised()) {
    return std::string(portableText);
  }
  std::string text;
  size_t pos = 0;
  while (pos < portableText.size()) {
    // A key's name runs to the next "+" or ", "; its first character always belongs to it, so
    // that the keys "+" and "," are names too.
    size_t end = pos + 1;
    while (end < portableText.size() && portableText[end] != '+' &&
           portableText.substr(end, 2) != ", ") {
      ++end;
    }
    text += KeyName(portableText.substr(pos, end - pos));
    const size_t separator = portableText.substr(end, 2) == ", " ? 2 : 1;
    text += portableText.substr(end, separator);
    pos = end + separator;
  }
  return text;
}

}  // namespace quorvane
