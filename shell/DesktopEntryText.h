#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The text rules of freedesktop.org desktop entry files, which hold the program's file manager
// verbs.

// One argument of an Exec value: as it stands when it holds no reserved character, else in
// double quotes with '"', '`', '$' and '\' escaped by a backslash. A "%" is doubled in any case,
// so that it is not taken for a field code.
std::string QuoteExecArgument(std::string_view argument);

// The arguments of an Exec value (after UnescapeDesktopValue); nothing when a quoted argument
// does not end. Field codes stay as written ("%f", "%%").
std::optional<std::vector<std::string>> SplitExecValue(std::string_view value);

// Whether two Exec values start the same program with the same arguments, however each is
// quoted.
bool SameExecValue(std::string_view a, std::string_view b);

// A string value as the file holds it: "\" doubled, line feed, carriage return and tab as "\n",
// "\r" and "\t", blanks at either end as "\s" (readers drop them otherwise).
std::string EscapeDesktopValue(std::string_view value);
std::string UnescapeDesktopValue(std::string_view value);

// The keys of the "[Desktop Entry]" group with their unescaped values. The first of equal keys
// counts; localised keys ("Name[de]") are kept under their full names.
std::map<std::string, std::string> ReadDesktopEntry(std::string_view content);

}  // namespace quorvane
