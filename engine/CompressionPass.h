#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Compaction.h"
#include "engine/Services.h"
#include "engine/TagsCommaList.h"

namespace quorvane {

struct TCompressionStats {
  bool Modified = false;
  uint8_t Percent = 0;  // share of the text saved
  int32_t Saved = 0;    // characters saved
};

// Compresses one document: include directives, line breaks, " />" endings, marked blocks, then
// the compaction of every segment outside "<PRE>" blocks. Returns true when it stopped early:
// on an unterminated directive `text` is left as it was; on a cancel request it may hold the
// part of the work done in place, and the caller must discard it.
bool CompressText(std::string& text, const std::string& fileName, const TTagsCommaList& tags,
                  TCompressionStats& stats, TEngineServices& services);
// The same with a tag list prepared once for many documents.
bool CompressText(std::string& text, const std::string& fileName, const TPreparedTags& tags,
                  TCompressionStats& stats, TEngineServices& services);

// The steps of the pass, each returning whether it changed the text.
// Carriage returns, alone or before a line feed, become one line feed, in place; returns
// whether there was one. A cancel request ends the step: when it comes before the first
// carriage return the text is as it was, otherwise `abandoned` is set and the text is half
// done.
bool NormalizeLineBreaks(std::string& text, IProgress& progress, bool& abandoned);
// " />" becomes ">"; a stop request through KeepRunning ends the replacing and counts as no
// change.
bool ShortenTagEndings(std::string& text, IProgress& progress);
// Deletes every "<!--DEL" ... "DEL-->" block, markers included.
bool DeleteMarkedBlocks(std::string& text);

}  // namespace quorvane
