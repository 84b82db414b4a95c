#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// A file or directory name as the program shows it, in the terminal and in message boxes: a
// name may hold any byte, and control characters would move the cursor, recolour the terminal
// or start a new line. They are shown as escapes instead ("\r", "\t", "\033"), as are the five
// bytes that Windows-1252 leaves undefined (they would become C1 control characters), and a
// backslash is doubled so that an escape cannot be mistaken for the name's own text.
std::string ShownName(std::string_view name);

}  // namespace quorvane
