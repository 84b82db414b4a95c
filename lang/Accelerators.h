#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Gives the captions of one menu level or dialog distinct accelerator keys, in list order.
// Existing "&" marks are dropped ("&&" stays a literal ampersand). Each caption takes the first
// ASCII letter or digit not yet used by an earlier one: its first character, else a character
// after a blank, else any later character; a caption may end up without one.
void AssignAccelerators(std::vector<std::string>& captions);

// The caption as it reads without its "&" marks ("&&" gives a literal ampersand).
std::string CaptionWithoutMarks(const std::string& caption);

// The platform's names of the keys in menu shortcut texts, as the portable shortcut texts of
// the widget toolkit write them. A language names the key at index i with the text
// kMenuKeyNamesBase + i; "Return" and "Enter", the toolkit's two names of one key, share one.
inline constexpr std::string_view kMenuKeyNames[] = {
    "Backspace", "Tab",   "Esc",  "Enter", "Space", "PgUp",  "PgDown", "End", "Home", "Left",
    "Up",        "Right", "Down", "Ins",   "Del",   "Shift", "Ctrl",   "Alt", "Meta"};

// A shortcut text ("Ctrl+Shift+F9"; several sequences separated by ", ") with its key names in
// the loaded language's words ("Strg+Umschalt+F9"). Without a loaded language file, and for
// keys not in the list, the platform's names stay.
std::string MenuShortcutText(std::string_view portableText);

}  // namespace quorvane
