#pragma once

namespace quorvane {

// Why a compression pass ended early; None when it completed. A pass that stops leaves its
// text as it was.
enum class TStopReason {
  None,
  Cancelled,     // the user asked to cancel
  Unterminated,  // a directive of the document has no closing tag
  TooDeep,       // directives nested deeper than kMaxDirectiveDepth
  TooLarge,      // the includes would make the document larger than kMaxExpandedSize
};

}  // namespace quorvane
