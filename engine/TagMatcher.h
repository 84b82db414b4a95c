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
  // Indexes of the definitions whose name ends at `node`.
  std::span<const uint32_t> DefinitionsAt(uint32_t node) const {
    return {endings_.data() + endingsBegin_[node], endings_.data() + endingsBegin_[node + 1]};
  }
  bool EndsDefinitions(uint32_t node) const {
    return node != Root() ? node <= lastEndingNode_ : endingsBegin_[1] != 0;
  }
  // The same for a node reached from the root, kNone included (false).
  bool EndsDefinitionsBelowRoot(uint32_t node) const { return node - 1 < lastEndingNode_; }
  // Whether a walk that has reached `node` (not the root) can go on; false for kNone.
  bool GoesOn(uint32_t node) const { return goesOn_[node] != 0; }

  // The nodes after the first and after the second byte of a text, found with one look-up:
  // most tag names are short.
  struct TTwoSteps {
    uint16_t First;
    uint16_t Second;
  };
  bool HasTwoSteps() const { return !twoSteps_.empty(); }
  TTwoSteps TwoSteps(char first, char second) const {
    return twoSteps_[classOf_[static_cast<unsigned char>(first)] * classCount_ +
                     classOf_[static_cast<unsigned char>(second)]];
  }

 private:
  struct Node {
    std::vector<std::pair<unsigned char, uint32_t>> children;  // sorted by character
    std::vector<uint32_t> ending;
  };
  uint32_t AddChild(uint32_t node, unsigned char c);
  uint32_t SparseChild(uint32_t node, char c) const;
  void PutEndingNodesFirst();
  void BuildDenseTable();
  void BuildTwoSteps();
  void FlattenEndings();

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
  // Nodes 1 to lastEndingNode_ are those where names end; the root follows its own rule.
  uint32_t lastEndingNode_ = 0;
  std::vector<uint16_t> dense_;
  std::vector<TTwoSteps> twoSteps_;  // by the classes of the two bytes
  std::vector<uint8_t> goesOn_;
  // The definitions ending at each node, one after the other: those of node n start at
  // endingsBegin_[n] and end where node n + 1's start.
  std::vector<uint32_t> endings_;
  std::vector<uint32_t> endingsBegin_;
};

}  // namespace quorvane
