#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Whether batch mode talks through the terminal rather than windows: QUORVANE_UI=console or
// QUORVANE_UI=gui decides; otherwise the terminal when standard error is one, or when there is
// no display (neither DISPLAY nor WAYLAND_DISPLAY set).
bool UseConsoleUi();

bool StandardErrorIsTerminal();

// Whether a window can be opened: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names
// first a platform that needs neither (offscreen, vnc, linuxfb, ...).
bool DisplayAvailable();

// Reads standard input to its end, byte for byte. Returns 0, EINTR when an interrupt signal
// (TInterruptWatch) came first (a terminal's input waits for ever otherwise), or the errno of
// the failure; `content` then holds what was read.
int ReadStandardInput(std::string& content);

// Writes all of `data` to standard output; false when that failed or an interrupt signal
// (TInterruptWatch) came first: a reader that stops reading does not hold the process.
bool WriteStandardOutput(std::string_view data);

// The two-letter language of the user's locale, lower case, from the first of LC_ALL,
// LC_MESSAGES and LANG that is set ("de_AT.UTF-8" gives "de"); "" for C, POSIX or none.
std::string LocaleLanguageCode();

// A question on the terminal: the text shown before each answer is read, and for each choice
// the answers that name it (UTF-8; compared without regard to letter case, blanks around a
// typed answer ignored).
struct TTerminalQuestion {
  std::string Prompt;
  std::vector<std::vector<std::string>> Answers;
};

// Asks `question` on the controlling terminal until an answer names a choice, and returns the
// choice's index. Nothing when there is no terminal or its input ends first.
std::optional<size_t> AskOnTerminal(const TTerminalQuestion& question);

// The same dialogue over any pair of descriptors.
std::optional<size_t> Ask(int input, int output, const TTerminalQuestion& question);

}  // namespace quorvane
