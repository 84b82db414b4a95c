#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// File and directory names among the program's texts. The program's texts are Windows-1252; a
// name is the file system's bytes, UTF-8 as a rule, and is shown exactly as it is written. A
// name inside a program text is therefore marked: it stands between kNameStart and kNameEnd
// (shift out, shift in, which no shown name and no language text holds) and keeps its own
// characters until ShownText converts the text for the terminal or a window.

inline constexpr char kNameStart = '\x0E';
inline constexpr char kNameEnd = '\x0F';

// A name as the program shows it, in UTF-8. A name may hold any byte: each byte that belongs to
// no valid UTF-8 sequence becomes U+FFFD, and control characters, which would move the cursor,
// recolour the terminal or start a new line, are shown as escapes ("\r", "\t", "\033"; those
// of the C1 range as the octal escapes of their two bytes); a backslash is doubled so that an
// escape cannot be mistaken for the name's own text.
std::string DisplayName(std::string_view name);

// DisplayName, marked for a place among the program's texts ("Datei %s ist ...").
std::string ShownName(std::string_view name);

// A program text as UTF-8 for the terminal or a widget: the Windows-1252 text converted, the
// marked names as they are, without their marks.
std::string ShownText(std::string_view text);

}  // namespace quorvane
