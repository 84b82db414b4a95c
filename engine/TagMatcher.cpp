#include "engine/TagMatcher.h"

#include <algorithm>

#include "support/Win1252.h"

namespace quorvane {

TTagMatcher::TTagMatcher(const std::vector<TTagDefinition>& definitions) : nodes_(1) {
  for (uint32_t index = 0; index < definitions.size(); ++index) {
    uint32_t node = Root();
    for (const char c : definitions[index].Name) {
      node = AddChild(node, static_cast<unsigned char>(UpperChar(c)));
      namesAboveSpace_ = namesAboveSpace_ && static_cast<unsigned char>(c) > ' ';
    }
    if (definitions[index].MaxCount == 0) {
      nodes_[node].ends |= kEndsUnlimited;
    } else {
      nodes_[node].ends |= kEndsLimited;
      nodes_[node].limited.push_back(index);
    }
  }
  BuildDenseTable();
  FlattenNodes();
  BuildTwoSteps();
}

void TTagMatcher::BuildTwoSteps() {
  if (dense_.empty()) {
    return;
  }
  twoSteps_.resize(size_t{classCount_} * classCount_);
  for (uint32_t first = 1; first < classCount_; ++first) {
    const uint16_t node = dense_[first];  // the root's row
    for (uint32_t second = 0; node != kNone && second < classCount_; ++second) {
      const uint16_t next = dense_[(node << classShift_) + second];
      twoSteps_[first * classCount_ + second] = {node, next, ends_[node], ends_[next],
                                                 goesOn_[next]};
    }
  }
}

void TTagMatcher::FlattenNodes() {
  rootEnds_ = nodes_[Root()].ends;
  ends_.reserve(nodes_.size());
  goesOn_.reserve(nodes_.size());
  limitedBegin_.reserve(nodes_.size() + 1);
  for (const Node& node : nodes_) {
    ends_.push_back(node.ends);
    goesOn_.push_back(!node.children.empty());
    limitedBegin_.push_back(static_cast<uint32_t>(limited_.size()));
    limited_.insert(limited_.end(), node.limited.begin(), node.limited.end());
  }
  limitedBegin_.push_back(static_cast<uint32_t>(limited_.size()));
  // kNone reads as a node where nothing ends and no walk goes on.
  ends_[kNone] = 0;
  goesOn_[kNone] = 0;
}

void TTagMatcher::BuildDenseTable() {
  std::array<uint8_t, 256> classOfUpper{};  // by upper-cased byte
  std::array<unsigned char, 256> member{};  // a byte of each class
  auto addClass = [&](unsigned char upper) {
    if (classOfUpper[upper] == 0) {
      member[classCount_] = upper;
      classOfUpper[upper] = static_cast<uint8_t>(classCount_++);
    }
  };
  for (int c = 0; c < 256; ++c) {
    if (rootChildren_[c] != kNone) {
      addClass(static_cast<unsigned char>(c));
    }
  }
  for (const Node& node : nodes_) {
    for (const auto& [c, child] : node.children) {
      addClass(c);
    }
  }
  if (nodes_.size() > UINT16_MAX || nodes_.size() * 2 * classCount_ > kMaxDenseEntries) {
    return;
  }
  for (int c = 0; c < 256; ++c) {
    classOf_[c] = classOfUpper[static_cast<unsigned char>(UpperChar(static_cast<char>(c)))];
  }
  while ((uint32_t{1} << classShift_) < classCount_) {
    ++classShift_;
  }
  std::vector<uint16_t> table(nodes_.size() << classShift_);
  for (uint32_t node = 0; node < nodes_.size(); ++node) {
    for (uint32_t k = 1; k < classCount_; ++k) {
      table[(node << classShift_) + k] =
          static_cast<uint16_t>(SparseChild(node, static_cast<char>(member[k])));
    }
  }
  dense_ = std::move(table);
}

bool TTagMatcher::CanStream(const std::vector<TTagDefinition>& definitions) {
  return std::none_of(definitions.begin(), definitions.end(), [](const TTagDefinition& d) {
    return std::any_of(d.Name.begin(), d.Name.end(), [](char c) {
      return IsWhiteSpace(c) || c == '<' || c == '>' || c == '*' || c == '?' || c == '[' ||
             c == '\\';
    });
  });
}

uint32_t TTagMatcher::AddChild(uint32_t node, unsigned char c) {
  if (const uint32_t existing = SparseChild(node, static_cast<char>(c)); existing != kNone) {
    return existing;
  }
  const auto created = static_cast<uint32_t>(nodes_.size());
  nodes_.emplace_back();
  if (node == Root()) {
    rootChildren_[c] = created;
  } else {
    auto& children = nodes_[node].children;
    const auto at = std::lower_bound(children.begin(), children.end(), std::make_pair(c, 0u));
    children.insert(at, {c, created});
  }
  return created;
}

uint32_t TTagMatcher::SparseChild(uint32_t node, char c) const {
  const auto key = static_cast<unsigned char>(UpperChar(c));
  if (node == Root()) {
    return rootChildren_[key];
  }
  for (const auto& [ch, child] : nodes_[node].children) {
    if (ch == key) {
      return child;
    }
    if (ch > key) {
      break;
    }
  }
  return kNone;
}

}  // namespace quorvane
