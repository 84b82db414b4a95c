#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// Every occurrence of `placeholder` in `text` replaced by `value`.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// The identifier as 8 upper-case hexadecimal digits.
std::string TextIdHex(uint32_t id);

// Appends "\" and the three octal digits of `code` ("\033").
void AppendOctalEscape(std::string& out, unsigned char code);

// What a lookup gives for a text that exists nowhere: "String XXXXXXXX not found".
std::string MissingText(uint32_t id);

}  // namespace quorvane
