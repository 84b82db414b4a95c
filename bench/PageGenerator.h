#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvane::bench {

// A page as hand-written sites have them: indented markup with CR LF line ends, tables, lists,
// forms, inline styles and scripts, comments, a few preformatted and marked blocks.
std::string GeneratePage(size_t targetSize, uint32_t seed);

}  // namespace quorvane::bench
