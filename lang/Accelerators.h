#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Gives the captions of one menu level or dialog distinct accelerator keys, in list order.
// Existing "&" marks are dropped ("&&" stays a literal ampersand). Each caption takes the first
// ASCII letter or digit not yet used by an earlier one: its first character, else a character
// after a blank, else any later character; a caption may end up without one.
void AssignAccelerators(std::vector<std::string>& captions);

// The caption as it reads without its "&" marks ("&&" gives a literal ampersand).
std::string CaptionWithoutMarks(const std::string& caption);

}  // namespace quorvane
