// The search of the find and replace dialogs: what Replace All plans to replace.
#include "editor/TextSearch.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using TPlan = std::vector<TTextRange>;

// Finding itself is the pattern's; here only what the search adds to it.
TEST(TextSearch, FindsWithTheChosenCaseAndTakesASelectionAsAMatchOnlyWhenExact) {
  const auto search = TTextSearch::Compile("<td*>", false);
  ASSERT_TRUE(search);
  EXPECT_EQ(search->FindNext("<TD a> <td b>", 1), (TTextRange{7, 6}));
  EXPECT_EQ(search->FindPrevious("<TD a> <td b>", 7), (TTextRange{0, 6}));
  EXPECT_FALSE(TTextSearch::Compile("<td*>", true)->FindNext("<TD a>", 0));
  EXPECT_FALSE(TTextSearch::Compile("[abc", false));
  EXPECT_TRUE(search->IsMatch("x<td a>", {1, 6}));
  EXPECT_FALSE(search->IsMatch("x<td a>", {1, 4}));
  EXPECT_FALSE(search->IsMatch("x<td a>", {0, 7}));
  EXPECT_FALSE(TTextSearch::Compile("*", false)->IsMatch("ab", {0, 0}));
}

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
