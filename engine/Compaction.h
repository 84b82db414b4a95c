#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/Services.h"
#include "engine/TagsCommaList.h"

namespace quorvane {

enum class TTrimSide { Before, After };
enum class TSearchKind { Literal, Pattern };

// Shrinks every run of white space to one character: the run's first, or a line feed when the
// run holds a line break but does not start with one. Returns whether the text got shorter.
bool CollapseWhiteSpace(std::string& text);

// Removes the white space before or after each occurrence of `search` (at most `limit`
// occurrences, 0 for all). Returns the number of occurrences found; sets `changed` when white
// space was removed. A pattern that does not compile finds nothing.
uint32_t TrimAroundMatches(std::string& segment, bool& changed, std::string_view search,
                           TTrimSide side, TSearchKind kind, bool matchCase, uint32_t limit);

class TTagMatcher;

// A tag definition list made ready for the compaction; worth keeping while the list stays the
// same.
class TPreparedTags {
 public:
  explicit TPreparedTags(const TTagsCommaList& tags);
  ~TPreparedTags();
  const TTagsCommaList& Tags() const { return tags_; }
  // None when the list needs the step-by-step road.
  const TTagMatcher* Matcher() const { return matcher_.get(); }

 private:
  TTagsCommaList tags_;
  std::unique_ptr<TTagMatcher> matcher_;
};

// Compacts segment after segment. With `lineBreaks` it also turns carriage returns into line
// feeds first, as the line-break step of the pass does.
class TSegmentCompactor {
 public:
  TSegmentCompactor(const TPreparedTags& tags, TEngineServices& services, bool lineBreaks = false);
  ~TSegmentCompactor();

  // Compacts buffer[begin, end) and writes the result from buffer[out] on (out <= begin: the
  // result is never longer); `outEnd` is set to its end. On a cancel the unchanged rest of
  // the segment follows the part already done. Returns true when cancelled.
  bool Compact(char* buffer, size_t begin, size_t end, size_t out, size_t& outEnd, bool& changed);
  bool Compact(std::string& segment, bool& changed);

 private:
  class TStreaming;
  const TPreparedTags& tags_;
  TEngineServices& services_;
  bool lineBreaks_;
  std::unique_ptr<TStreaming> streaming_;  // none when the list needs the step-by-step road
};

// Compacts one unprotected segment: trims it, collapses its white space, removes white space
// before closing tags and around the tags of the list. Sets `changed` when it changed the
// segment. Returns true when it was cancelled.
bool CompactSegment(std::string& segment, bool& changed, const TTagsCommaList& tags,
                    TEngineServices& services);

}  // namespace quorvane
