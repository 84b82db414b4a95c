#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The text rules of freedesktop.org desktop entry files, which most file managers' action files
// follow.

// One argument of an Exec value: as it stands when it holds no reserved character, else in
// double quotes with '"', '`', '$' and '\' escaped by a backslash. A "%" is doubled in any case,
// so that it is not taken for a field code.
std::string QuoteExecArgument(std::string_view argument);

// The arguments of an Exec value (after UnescapeDesktopValue); nothing when a quoted argument
// does not end. Field codes stay as written ("%f", "%%").
std::optional<std::vector<std::string>> SplitExecValue(std::string_view value);

// The program that an Exec value starts (its first argument, "%%" read as "%"); empty when
// there is none.
std::string ExecProgram(std::string_view value);

// A string value as the file holds it: "\" doubled, line feed, carriage return and tab as "\n",
// "\r" and "\t", blanks at either end as "\s" (readers drop them otherwise).
std::string EscapeDesktopValue(std::string_view value);
std::string UnescapeDesktopValue(std::string_view value);

// The keys of the group "[`group`]" with their unescaped values. The first of equal keys counts;
// localised keys ("Name[de]") are kept under their full names.
std::map<std::string, std::string> ReadKeyFileGroup(std::string_view content,
                                                    std::string_view group);

}  // namespace quorvane
