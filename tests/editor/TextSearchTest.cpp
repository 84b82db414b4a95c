// The search of the find and replace dialogs: what Replace All plans to replace.
#include "editor/TextSearch.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using TPlan = std::vector<TTextRange>;

// Finding and case are the pattern's and the find dialog's tests; here only what Replace All
// plans.
TEST(TextSearch, ReplaceAllPlansOnTheOriginalTextAndAlwaysEnds) {
  // The replacement "ba" of "a" is never searched again: three replacements, not endless.
  EXPECT_EQ(TTextSearch::Compile("a", false)->PlanReplaceAll("aaa", 0),
            (TPlan{{0, 1}, {1, 1}, {2, 1}}));
  // Empty matches move on by one.
  EXPECT_EQ(TTextSearch::Compile("*", false)->PlanReplaceAll("ab", 0), (TPlan{{0, 0}, {1, 0}}));
  // From after the selection only.
  EXPECT_EQ(TTextSearch::Compile("x", false)->PlanReplaceAll("x1 x2 x3", 2),
            (TPlan{{3, 1}, {6, 1}}));
  EXPECT_TRUE(TTextSearch::Compile("q", false)->PlanReplaceAll("abc", 0).empty());
}

}  // namespace
}  // namespace quorvane
