#pragma once

#include <string>

#include "platform/Console.h"

namespace quorvane {

// The questions of the batch as a terminal asks them, in the words of the loaded language. A
// prompt shows the letters that answer it in brackets ("[y/n]", "[a]bort, [r]etry or
// [i]gnore?"); a choice is named by its letter, by the word the letter stands in, or by the
// caption of its message-box button. `text` is UTF-8.

// Choice 0 is Yes, 1 No.
TTerminalQuestion YesNoQuestion(const std::string& text);

// Choice 0 is Abort, 1 Retry, 2 Ignore.
TTerminalQuestion AbortRetryIgnoreQuestion(const std::string& text);

}  // namespace quorvane
