#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Which parts of a document reach the browser unchanged.
enum class TProtection {
  // The elements whose content the browser shows or runs as written: PRE, TEXTAREA, SCRIPT
  // and STYLE, with or without attributes, each from its opening tag to the end of its closing
  // tag (or to the end of the text).
  Elements,
  // Only "<PRE>" blocks, these five characters exactly, each to the end of the first "</PRE>"
  // after it (or to the end of the text).
  StrictPre,
};

// Where the segments of a text lie: protected ones and the unprotected ones between them. The
// empty text has one empty unprotected segment.
struct TSegmentBounds {
  size_t Begin;
  size_t End;
  bool Protected;
};
std::vector<TSegmentBounds> FindProtectedSegments(std::string_view text, TProtection protection);

// A text cut into consecutive segments, protected and unprotected.
class TStringListPreSegments {
 public:
  void Split(std::string_view text, TProtection protection);
  int Count() const { return static_cast<int>(segments_.size()); }
  int UnprotectedCount() const;
  const std::string& Segment(int index) const { return segments_[index].Text; }
  std::string& MutableSegment(int index) { return segments_[index].Text; }
  void SetSegment(int index, std::string text) { segments_[index].Text = std::move(text); }
  bool IsProtected(int index) const { return segments_[index].Protected; }
  void SetProtected(int index, bool value) { segments_[index].Protected = value; }
  void Delete(int index) { segments_.erase(segments_.begin() + index); }
  void Clear() { segments_.clear(); }
  // All segments joined in their order.
  std::string Join() const;

 private:
  struct Entry {
    std::string Text;
    bool Protected = false;
  };
  void Append(std::string_view text, bool isProtected);

  std::vector<Entry> segments_;
};

}  // namespace quorvane
