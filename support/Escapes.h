#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// Backslash escapes shared by wildcard patterns and language texts: "\\" and "\e" (backslash),
// "\a" "\b" "\f" "\n" "\r" "\t" "\v", "\" + decimal digits, and "\x:", "\o:", "\d:" + digits of
// that base (the base letter in either case). A numeric escape reads at most 3 decimal,
// 2 hexadecimal or 3 octal digits, and only as many as keep the code at most 255. A backslash
// that forms no escape stands for itself and the character after it.

// Reads the escape whose backslash is at `pos`, appends what it stands for to `out` and
// returns the position after it.
size_t ReadEscape(std::string_view text, size_t pos, std::string& out);

// The text with every escape replaced, read left to right.
std::string DecodeEscapes(std::string_view text);

}  // namespace quorvane
