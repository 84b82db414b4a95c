#include <gtest/gtest.h>

#include <string>

#include "editor/LineDiff.h"

namespace quorvane {
namespace {

std::vector<uint32_t> Lines(const std::string& letters) {
  return std::vector<uint32_t>(letters.begin(), letters.end());
}

// Walks the runs over both sides: they must use up each side exactly and keep only equal
// lines. Returns the number of lines removed and added.
size_t CheckedEdits(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after,
                    const std::vector<TDiffRun>& runs) {
  size_t a = 0;
  size_t b = 0;
  size_t edits = 0;
  for (const TDiffRun& run : runs) {
    EXPECT_GT(run.Count, 0u);
    for (size_t i = 0; i < run.Count; ++i) {
      if (run.Kind == TDiffKind::Same) {
        EXPECT_EQ(before.at(a), after.at(b));
        ++a;
        ++b;
      } else {
        ++(run.Kind == TDiffKind::Removed ? a : b);
        ++edits;
      }
    }
  }
  EXPECT_EQ(a, before.size());
  EXPECT_EQ(b, after.size());
  return edits;
}

TEST(LineDiff, FindsTheShortestEditWithRemovalsFirst) {
  EXPECT_EQ(DiffLines(Lines("abc"), Lines("abc")), (std::vector<TDiffRun>{{TDiffKind::Same, 3}}));
  EXPECT_EQ(DiffLines(Lines("abcd"), Lines("axd")), (std::vector<TDiffRun>{{TDiffKind::Same, 1},
                                                                           {TDiffKind::Removed, 2},
                                                                           {TDiffKind::Added, 1},
                                                                           {TDiffKind::Same, 1}}));
  EXPECT_EQ(DiffLines({}, Lines("ab")), (std::vector<TDiffRun>{{TDiffKind::Added, 2}}));
  EXPECT_TRUE(DiffLines({}, {}).empty());
  const auto before = Lines("abcabba");
  const auto after = Lines("cbabac");
  EXPECT_EQ(CheckedEdits(before, after, DiffLines(before, after)), 5u);
}

TEST(LineDiff, GivesUpMatchingWhereTooMuchDiffersButStaysCorrect) {
  std::vector<uint32_t> before;
  std::vector<uint32_t> after;
  for (uint32_t i = 0; i < 200000; ++i) {
    before.push_back(i);
    after.push_back(i % 1000 == 0 ? i : i + 1000000);  // every 1000th line kept
  }
  before.push_back(7);
  after.push_back(7);
  const std::vector<TDiffRun> runs = DiffLines(before, after);
  EXPECT_GE(CheckedEdits(before, after, runs), 2u * 199800);
  EXPECT_EQ(runs.back(), (TDiffRun{TDiffKind::Same, 1}));
}

}  // namespace
}  // namespace quorvane
