#include <gtest/gtest.h>

#include "engine/TagsCommaList.h"

namespace quorvane {
namespace {

// Stored lists are read as they always were: later duplicates dropped, counts wrapping at 2^32
// and any character taken as a digit, a missing count as 0.
TEST(TagsCommaList, ReadsOddTextsWithoutComplaint) {
  for (const auto& [text, read] : {std::pair{"br,0,BR,2", "br,0"},
                                   {"P,0,B", "P,0"},
                                   {"X,,Y,3", "X,0,Y,3"},
                                   {"a, 0 ,b,1", "a,0,b,1"},
                                   {"X,4294967296,Y,4294967297", "X,0,Y,1"},
                                   {"X,1a", "X,59"},
                                   {"", ""}}) {
    TTagsCommaList list;
    list.SetCommaText(text);
    EXPECT_EQ(list.CommaText(), read) << text;
  }
  // A name holding a comma splits when it is read back.
  TTagsCommaList list;
  list.Add("a b,c", 2);
  EXPECT_EQ(list.CommaText(), "a b,c,2");
  TTagsCommaList back;
  back.SetCommaText(list.CommaText());
  EXPECT_EQ(back.CommaText(), "a,50,c,2");  // "b" read as a count
}

TEST(TagsCommaList, KeepsSortedOrderAndIgnoresNamesInAnotherCase) {
  TTagsCommaList list;
  list.Add("TD", 0);
  list.Add("A", 1);
  list.Add("H1", 0);
  list.Add("HEAD", 1);
  list.Add("a", 5);  // present in another letter case: ignored
  EXPECT_EQ(list.CommaText(), "A,1,H1,0,HEAD,1,TD,0");
}

}  // namespace
}  // namespace quorvane
