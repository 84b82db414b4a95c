#pragma once

#include <cstddef>
#include <string>

namespace quorvane {

// Carriage returns, alone or before a line feed, become one line feed.

// Moves buffer[from, end) down to buffer[to] (to <= from) with its line breaks so turned, and
// returns the end of what it wrote. Sets `found` when it met a carriage return.
size_t MoveNormalizingLineBreaks(char* buffer, size_t to, size_t from, size_t end, bool& found);

// The same for a whole text, in place; returns whether it held a carriage return.
bool NormalizeLineBreaks(std::string& text);

}  // namespace quorvane
