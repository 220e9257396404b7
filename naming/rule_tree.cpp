#include "naming/rule_tree.h"

#include <algorithm>

const std::string TRuleTree::kRootText = "全複製情報";

TRuleNode::TRuleNode(TRuleNode* parent, std::unique_ptr<TCopyInfo> data)
    : parent_(parent), data_(std::move(data)) {}

const std::string& TRuleNode::Text() const {
  return data_ ? KindName(data_->Kind) : TRuleTree::kRootText;
}

TRuleTree::TRuleTree() : root_(new TRuleNode(nullptr, nullptr)) {}

// Frees a subtree from the leaves up without recursion, so a very deep tree cannot exhaust the
// stack. Returns the number of nodes freed.
std::size_t TRuleTree::FreeSubtree(std::unique_ptr<TRuleNode> top) {
  std::size_t freed = 0;
  std::vector<std::unique_ptr<TRuleNode>> pending;
  pending.push_back(std::move(top));
  while (!pending.empty()) {
    std::unique_ptr<TRuleNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    ++freed;
  }
  return freed;
}

TRuleTree::~TRuleTree() { FreeSubtree(std::move(root_)); }

TRuleNode& TRuleTree::AddRule(TRuleNode& parent) {
  auto info = std::make_unique<TCopyInfo>();
  info->Kind = ckNumber;
  parent.children_.push_back(std::unique_ptr<TRuleNode>(new TRuleNode(&parent, std::move(info))));
  ++count_;
  return *parent.children_.back();
}

bool TRuleTree::Delete(TRuleNode& node) {
  if (node.IsRoot()) return false;
  auto& siblings = node.parent_->children_;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [&](const std::unique_ptr<TRuleNode>& p) { return p.get() == &node; });
  std::unique_ptr<TRuleNode> doomed = std::move(*it);
  siblings.erase(it);
  count_ -= FreeSubtree(std::move(doomed));
  return true;
}

std::size_t TRuleTree::AbsoluteIndex(const TRuleNode& node) const {
  std::size_t index = 0, found = 0;
  ForEachPreOrder([&](const TRuleNode& n) {
    if (&n == &node) found = index;
    ++index;
  });
  return found;
}

TRuleNode* TRuleTree::NodeAt(std::size_t index) const {
  if (index >= count_) return nullptr;
  const TRuleNode* found = nullptr;
  std::size_t i = 0;
  ForEachPreOrder([&](const TRuleNode& n) {
    if (i++ == index) found = &n;
  });
  return const_cast<TRuleNode*>(found);
}
