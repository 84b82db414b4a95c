#include "engine/TagMatcher.h"

#include <algorithm>

#include "support/Win1252.h"

namespace quorvane {

TTagMatcher::TTagMatcher(const std::vector<TTagDefinition>& definitions) : nodes_(1) {
  for (uint32_t index = 0; index < definitions.size(); ++index) {
    uint32_t node = Root();
    for (const char c : definitions[index].Name) {
      node = AddChild(node, static_cast<unsigned char>(UpperChar(c)));
    }
    nodes_[node].ending.push_back(index);
  }
  PutEndingNodesFirst();
  BuildDenseTable();
  BuildTwoSteps();
  FlattenEndings();
}

void TTagMatcher::BuildTwoSteps() {
  goesOn_.resize(nodes_.size());
  for (uint32_t node = 1; node < nodes_.size(); ++node) {
    goesOn_[node] = !nodes_[node].children.empty();
  }
  if (dense_.empty()) {
    return;
  }
  twoSteps_.resize(size_t{classCount_} * classCount_);
  for (uint32_t first = 1; first < classCount_; ++first) {
    const uint16_t node = dense_[first];  // the root's row
    for (uint32_t second = 1; node != kNone && second < classCount_; ++second) {
      twoSteps_[first * classCount_ + second] = {node, dense_[(node << classShift_) + second]};
    }
    twoSteps_[first * classCount_] = {node, kNone};
  }
}

void TTagMatcher::PutEndingNodesFirst() {
  std::vector<uint32_t> order;  // old indexes in their new order, the root first
  order.push_back(Root());
  for (const bool ending : {true, false}) {
    for (uint32_t node = 1; node < nodes_.size(); ++node) {
      if (nodes_[node].ending.empty() != ending) {
        order.push_back(node);
      }
    }
    if (ending) {
      lastEndingNode_ = static_cast<uint32_t>(order.size()) - 1;
    }
  }
  std::vector<uint32_t> renamed(nodes_.size());
  for (uint32_t index = 0; index < order.size(); ++index) {
    renamed[order[index]] = index;
  }
  std::vector<Node> nodes;
  nodes.reserve(nodes_.size());
  for (const uint32_t old : order) {
    nodes.push_back(std::move(nodes_[old]));
    for (auto& child : nodes.back().children) {
      child.second = renamed[child.second];
    }
  }
  for (uint32_t& child : rootChildren_) {
    child = renamed[child];  // kNone stays the root's index
  }
  nodes_ = std::move(nodes);
}

void TTagMatcher::FlattenEndings() {
  endingsBegin_.reserve(nodes_.size() + 1);
  for (const Node& node : nodes_) {
    endingsBegin_.push_back(static_cast<uint32_t>(endings_.size()));
    endings_.insert(endings_.end(), node.ending.begin(), node.ending.end());
  }
  endingsBegin_.push_back(static_cast<uint32_t>(endings_.size()));
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
