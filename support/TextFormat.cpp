#include "support/TextFormat.h"

namespace quorvane {

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view value) {
  if (placeholder.empty()) {
    return std::string(text);
  }
  std::string result;
  size_t pos = 0;
  while (true) {
    const size_t hit = text.find(placeholder, pos);
    if (hit == std::string_view::npos) {
      break;
    }
    result.append(text.substr(pos, hit - pos));
    result.append(value);
    pos = hit + placeholder.size();
  }
  result.append(text.substr(pos));
  return result;
}

std::string TextIdHex(uint32_t id) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i) {
    hex[i] = kDigits[id & 0xF];
    id >>= 4;
  }
  return hex;
}

void AppendOctalEscape(std::string& out, unsigned char code) {
  out += '\\';
  out += static_cast<char>('0' + (code >> 6));
  out += static_cast<char>('0' + ((code >> 3) & 7));
  out += static_cast<char>('0' + (code & 7));
}

std::string MissingText(uint32_t id) {
  return "String " + TextIdHex(id) + " not found";
}

}  // namespace quorvane
