#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/TagsCommaList.h"

namespace quorvane {

// A trie of the upper-cased tag names, so that one walk from a "<" finds every definition
// whose name the text continues with.
class TTagMatcher {
 public:
  explicit TTagMatcher(const std::vector<TTagDefinition>& definitions);

  // Names that hold white space, angle brackets or pattern syntax make the occurrences of the
  // searches depend on earlier deletions; such lists need the step-by-step compaction.
  static bool CanStream(const std::vector<TTagDefinition>& definitions);

  // No node: the root is never anybody's child, so its index can say so.
  static constexpr uint32_t kNone = 0;
  uint32_t Root() const { return 0; }
  // The node reached from `node` by the text character `c`, compared without regard to case.
  uint32_t Child(uint32_t node, char c) const {
    if (!dense_.empty()) {
      return dense_[(node << classShift_) + classOf_[static_cast<unsigned char>(c)]];
    }
    return SparseChild(node, c);
  }

  // What the names that end at a node ask for, as bits. Definitions without a limit all act
  // alike and need no counting; those with one are counted one by one.
  static constexpr uint8_t kEndsUnlimited = 1;
  static constexpr uint8_t kEndsLimited = 2;
  // For a node reached by a step (never the root, whose names are empty); 0 for kNone.
  uint8_t Ends(uint32_t node) const { return ends_[node]; }
  uint8_t RootEnds() const { return rootEnds_; }
  // Indexes of the definitions with a limit whose name ends at `node`.
  std::span<const uint32_t> LimitedAt(uint32_t node) const {
    return {limited_.data() + limitedBegin_[node], limited_.data() + limitedBegin_[node + 1]};
  }
  // Whether every byte of every name lies above the space: then a walk always ends at a
  // control character.
  bool NamesAboveSpace() const { return namesAboveSpace_; }
  // Whether a walk that has reached `node` (not the root) can go on; false for kNone.
  bool GoesOn(uint32_t node) const { return goesOn_[node] != 0; }

  // The nodes after the first and after the second byte of a text, found with one look-up:
  // most tag names are short.
  struct TTwoSteps {
    uint16_t First;
    uint16_t Second;
    uint8_t FirstEnds;
    uint8_t SecondEnds;
    uint8_t SecondGoesOn;
  };
  bool HasTwoSteps() const { return !twoSteps_.empty(); }
  const TTwoSteps& TwoSteps(char first, char second) const {
    return twoSteps_[classOf_[static_cast<unsigned char>(first)] * classCount_ +
                     classOf_[static_cast<unsigned char>(second)]];
  }

 private:
  struct Node {
    std::vector<std::pair<unsigned char, uint32_t>> children;  // sorted by character
    std::vector<uint32_t> limited;
    uint8_t ends = 0;
  };
  uint32_t AddChild(uint32_t node, unsigned char c);
  uint32_t SparseChild(uint32_t node, char c) const;
  void BuildDenseTable();
  void BuildTwoSteps();
  void FlattenNodes();

  // Lists of the usual size get a table of every node's child for every class of bytes, so
  // that a walk costs two loads per character. Bytes that upper-case to the same character
  // share a class; class 0 holds the bytes that no name contains. Small enough to stay in the
  // processor's first-level cache for the default list.
  static constexpr size_t kMaxDenseEntries = size_t{1} << 20;

  std::vector<Node> nodes_;
  std::array<uint32_t, 256> rootChildren_{};
  std::array<uint8_t, 256> classOf_{};
  uint32_t classCount_ = 1;
  uint32_t classShift_ = 0;  // each node's row of the table: 2 ^ classShift_ entries
  std::vector<uint16_t> dense_;
  std::vector<TTwoSteps> twoSteps_;  // by the classes of the two bytes
  std::vector<uint8_t> ends_;
  uint8_t rootEnds_ = 0;
  bool namesAboveSpace_ = true;
  std::vector<uint8_t> goesOn_;
  // The limited definitions ending at each node, one after the other: those of node n start
  // at limitedBegin_[n] and end where node n + 1's start.
  std::vector<uint32_t> limited_;
  std::vector<uint32_t> limitedBegin_;
};

}  // namespace quorvane
