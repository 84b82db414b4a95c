#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Splits a comma text into its items: characters 1 to 32 separate items like commas do, an
// item that starts with a double quote runs to its closing quote (a doubled quote stands for
// one, an unterminated one runs to the end), a trailing comma adds no item, NUL ends the text.
std::vector<std::string> SplitCommaText(std::string_view text);

// Joins items with commas; an item holding a control character, a blank, a comma or a double
// quote is enclosed in double quotes with its quotes doubled.
std::string JoinCommaText(const std::vector<std::string>& items);

}  // namespace quorvane
