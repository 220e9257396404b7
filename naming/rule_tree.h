#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "naming/copy_info.h"

// A node of the rule tree: the root (no record) or a rule node owning exactly one record.
class TRuleNode {
 public:
  TRuleNode(const TRuleNode&) = delete;
  TRuleNode& operator=(const TRuleNode&) = delete;

  // Null for the root.
  TCopyInfo* Data() const { return data_.get(); }
  bool IsRoot() const { return parent_ == nullptr; }
  TRuleNode* Parent() const { return parent_; }

  // Children in the order they were added.
  std::size_t ChildCount() const { return children_.size(); }
  TRuleNode& Child(std::size_t i) const { return *children_[i]; }
  bool HasChildren() const { return !children_.empty(); }

  // The root's text, or the display name of the rule's kind.
  const std::string& Text() const;

 private:
  friend class TRuleTree;
  TRuleNode(TRuleNode* parent, std::unique_ptr<TCopyInfo> data);

  TRuleNode* parent_;
  std::unique_ptr<TCopyInfo> data_;
  std::vector<std::unique_ptr<TRuleNode>> children_;
};

// The tree of naming rules: one root without a record, rule nodes below it to any depth. Nodes
// are numbered in pre-order (a node before its children), the root being 0.
class TRuleTree {
 public:
  static const std::string kRootText;  // "全複製情報"

  TRuleTree();
  ~TRuleTree();
  TRuleTree(const TRuleTree&) = delete;
  TRuleTree& operator=(const TRuleTree&) = delete;

  TRuleNode& Root() { return *root_; }
  const TRuleNode& Root() const { return *root_; }

  // Appends a fresh rule (ckNumber from 0 to 0) as the last child of `parent` and returns it.
  TRuleNode& AddRule(TRuleNode& parent);

  // Deletes `node` with its whole subtree, freeing every record in it. The root cannot be
  // deleted: returns false and leaves the tree as it was.
  bool Delete(TRuleNode& node);

  // Number of nodes, the root included.
  std::size_t Count() const { return count_; }

  // Absolute (pre-order) index of a node of this tree (0 for a node of another tree);
  // O(number of nodes).
  std::size_t AbsoluteIndex(const TRuleNode& node) const;
  // The node at an absolute index, or null when the index is not below Count(); O(index).
  TRuleNode* NodeAt(std::size_t index) const;

  // Calls `visit(node)` for every node in pre-order, the root first.
  template <typename Visit>
  void ForEachPreOrder(Visit&& visit) const {
    std::vector<const TRuleNode*> stack{root_.get()};
    while (!stack.empty()) {
      const TRuleNode* node = stack.back();
      stack.pop_back();
      visit(*node);
      for (std::size_t i = node->children_.size(); i-- > 0;) stack.push_back(node->children_[i].get());
    }
  }

 private:
  static std::size_t FreeSubtree(std::unique_ptr<TRuleNode> top);

  std::unique_ptr<TRuleNode> root_;
  std::size_t count_ = 1;
};
