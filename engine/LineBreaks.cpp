#include "engine/LineBreaks.h"

#include <string_view>

#include "engine/BlockScan.h"

namespace quorvane {

size_t MoveNormalizingLineBreaks(char* buffer, size_t to, size_t from, size_t end, bool& found) {
  scan::TBitCursor carriageReturns(
      std::string_view(buffer, end),
      [](const scan::TBlock& block, size_t) { return scan::TMarks{block.Equal('\r')}; });
  size_t in = from;  // the input from here on is not written out yet
  for (size_t at = carriageReturns.Next(from); at < end; at = carriageReturns.Next(at + 1)) {
    found = true;
    if (at + 1 < end && buffer[at + 1] == '\n') {
      to = scan::MoveDown(buffer, to, in, at - in, end);
      in = at + 1;
    } else {
      buffer[at] = '\n';
    }
  }
  return scan::MoveDown(buffer, to, in, end - in, end);
}

bool NormalizeLineBreaks(std::string& text) {
  bool found = false;
  text.resize(MoveNormalizingLineBreaks(text.data(), 0, 0, text.size(), found));
  return found;
}

}  // namespace quorvane
