#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Command lines for the POSIX shell, and for GLib's command-line parser, which reads the same
// quoting.

// `word` as one shell word: as it stands when no character of it means anything to a shell,
// else in single quotes, a single quote in it written as '\''.
std::string QuoteShellWord(std::string_view word);

// The words of a command line as the shell splits them, quotes and backslashes taken away and
// nothing expanded; nothing when a quote does not end.
std::optional<std::vector<std::string>> SplitShellWords(std::string_view text);

// A printf format that prints `text` back and holds no "%": every character but letters,
// digits and "/._-" as a three-digit octal escape.
std::string OctalPrintfFormat(std::string_view text);

// Every "%" doubled, as the field codes of a command demand.
std::string DoublePercents(std::string_view text);

}  // namespace quorvane
