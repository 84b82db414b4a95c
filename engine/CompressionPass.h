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
// why it stopped early (TStopReason), and a pass that stops leaves the text as it was.
namespace quorvane {

struct TCompressionStats {
  bool Modified = false;
  uint8_t Percent = 0;  // share of the text saved
  int32_t Saved = 0;    // characters saved
};

// Compresses one document: include directives, line breaks, " />" endings, marked blocks, then
// the compaction of every segment outside the protected ones. When it stops early `text` is
// left as it was.
TStopReason CompressText(std::string& text, const std::string& fileName, const TTagsCommaList& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services);
// The same with a tag list prepared once for many documents.
TStopReason CompressText(std::string& text, const std::string& fileName, const TPreparedTags& tags,
                         TProtection protection, TCompressionStats& stats,
                         TEngineServices& services);

// The steps of the pass, each returning whether it changed the text.
// Carriage returns, alone or before a line feed, become one line feed. A cancel request
// leaves the text unchanged (and still reports whether a carriage return was seen).
bool NormalizeLineBreaks(std::string& text, IProgress& progress);
// The same, writing the result (or, after a cancel, the unchanged text) to `out`.
bool NormalizeLineBreaks(std::string_view source, std::string& out, IProgress& progress);
// " />" becomes ">"; a cancel request between replacements ends the replacing and counts as no
// change.
bool ShortenTagEndings(std::string& text, IProgress& progress);
// Deletes every "<!--DEL" ... "DEL-->" block, markers included.
bool DeleteMarkedBlocks(std::string& text);

}  // namespace quorvane
