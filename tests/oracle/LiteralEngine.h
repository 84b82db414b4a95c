#pragma once

#include <string>

#include "engine/CompressionPass.h"
#include "engine/Services.h"
#include "engine/TagsCommaList.h"

namespace quorvane::oracle {

// The compression pass written as plainly as its description reads: every search runs over the
// whole text, every deletion and insertion moves the rest of the string. Slow on purpose; the
// tests and the benchmark hold the engine against it.
bool LiteralCompactSegment(std::string& segment, bool& changed, const TTagsCommaList& tags);
TStopReason LiteralExpandDirectives(std::string& text, const std::string& fileName, bool& modified,
                                    TEngineServices& services);
TStopReason LiteralCompressText(std::string& text, const std::string& fileName,
                                const TTagsCommaList& tags, TProtection protection,
                                TCompressionStats& stats, TEngineServices& services);

}  // namespace quorvane::oracle
