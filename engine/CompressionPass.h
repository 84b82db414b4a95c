#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Compaction.h"
#include "engine/PreSegments.h"
#include "engine/Services.h"
#include "engine/StopReason.h"
#include "engine/TagsCommaList.h"

// The compression engine. It never throws for what a document holds and touches no file
// system: included files come through the caller's reader (TEngineServices). A pass returns
// why it stopped early (TStopReason); a cancelled pass may leave its text half done.
namespace quorvane {

struct TCompressionStats {
  bool Modified = false;
  uint8_t Percent = 0;  // share of the text saved
  int32_t Saved = 0;    // characters saved
};

// Compresses one document: include directives, line breaks, " />" endings, marked blocks, then
// the compaction of every segment outside the protected ones. When it stops early on a
// directive `text` is left as it was; on a cancel request it may hold the part of the work done
// in place, and the caller must discard it.
TStopReason CompressText(std::string& text, const std::string& fileName, const TTagsCommaList& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services);
// The same with a tag list prepared once for many documents.
TStopReason CompressText(std::string& text, const std::string& fileName, const TPreparedTags& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services);

}  // namespace quorvane
