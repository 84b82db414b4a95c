#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/Services.h"
#include "engine/StopReason.h"

namespace quorvane {

// No expansion may make a document larger than this, however its includes nest.
inline constexpr size_t kMaxExpandedSize = size_t{256} << 20;

// Directives may nest (inside each other and through includes) at most this deep.
inline constexpr int kMaxDirectiveDepth = 100;

// Replaces every <#quorvane include="name">...</#quorvane> directive by the content of the
// named file, whose own directives are expanded first; problems are reported as the
// directive's content, in the document's encoding (UTF-8 when the document is valid UTF-8,
// else Windows-1252). Relative names are resolved against the directory of `fileName`. Sets
// `modified` when a directive was replaced. The time it takes grows with the size of what it
// expands, each byte being copied once.
TStopReason ExpandDirectives(std::string& text, const std::string& fileName, bool& modified,
                             TEngineServices& services);
// The same, leaving `text` as it is: when `modified` is set, `expanded` holds the result.
TStopReason ExpandDirectives(std::string_view text, std::string& expanded,
                             const std::string& fileName, bool& modified,
                             TEngineServices& services);

// Whether `text` may hold a directive tag. When it does not, expanding it reads no file,
// reports nothing and leaves it as it is.
bool MayHoldDirectives(std::string_view text);

}  // namespace quorvane
