#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::bench {

// A page as hand-written sites have them: indented markup with CR LF line ends, tables, lists,
// forms, inline styles and scripts, comments, code blocks with and without attributes, text
// areas, marked blocks; now and then a page ends inside an element.
std::string GeneratePage(size_t targetSize, uint32_t seed);

// Twelve include files (name, content) of a deep site: each includes the next one three times,
// the old content kept between the tags, and the upper six first wrap six nested directives
// around an include of the last one. The first expands to about 200 MB.
std::vector<std::pair<std::string, std::string>> IncludeTree();

}  // namespace quorvane::bench
