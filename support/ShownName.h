#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// A file or directory name as the program's (Windows-1252) texts show it, in the terminal and in
// message boxes. A name that is valid UTF-8, as the file system's names are, becomes the same
// characters in Windows-1252 ("?" for one it has no form for), so that it does not come out
// garbled. A name may hold any byte, and control characters would move the cursor, recolour the
// terminal or start a new line: they are shown as escapes ("\r", "\t", "\033"), as are the
// five bytes that Windows-1252 leaves undefined (they would become C1 control characters), and
// a backslash is doubled so that an escape cannot be mistaken for the name's own text.
std::string ShownName(std::string_view name);

// The same escapes of the ASCII control characters and the backslash in a name that stays in
// the file system's own bytes, for a window that shows it as UTF-8 text.
std::string EscapedName(std::string_view name);

}  // namespace quorvane
