#pragma once

#include <QStringView>
#include <cstdint>
#include <vector>

namespace quorvane {

// What a stretch of HTML source is, for its colour in the editor.
enum class THtmlToken : uint8_t {
  Tag,  // "<", the tag's name, ">" and "/>"
  AttributeName,
  AttributeValue,  // with its quotes
  Comment,
  Entity,        // "&amp;", "&#228;", "&#xE4;"
  Directive,     // the program's include directive: "<#quorvane", "</#quorvane>" and its ">"
  DeletedBlock,  // "<!--DEL" ... "DEL-->", which the compression deletes
};

struct THtmlSpan {
  int Start;
  int Length;
  THtmlToken Kind;
};

// The rules that colour HTML source, one line at a time. A line is scanned from the state the
// line before ended in (kTextState for the first) and returns the state it ends in, so that a
// comment, a tag or a quoted value that runs over several lines keeps its colour. States are
// small non-negative numbers; scanning without spans only follows the state. Script and style
// content is not parsed as markup.
class THtmlHighlightRules {
 public:
  static constexpr int kTextState = 0;
  static int Scan(QStringView line, int state, std::vector<THtmlSpan>* spans);
};

}  // namespace quorvane
