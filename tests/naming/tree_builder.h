#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "naming/copy_info.h"
#include "naming/rule_tree.h"

// A compact way to write rule trees in tests:
//   Build(tree, {Num(0, 2, {Alpha("a", "b")}), Fix("X")});
struct TRuleSpec {
  TCopyInfo Info;
  std::vector<TRuleSpec> Children;
};

TRuleSpec Num(int from, int to, std::vector<TRuleSpec> children = {});
TRuleSpec Alpha(std::string from, std::string to, std::vector<TRuleSpec> children = {});
TRuleSpec Fix(std::string text, std::vector<TRuleSpec> children = {});
TRuleSpec Any(std::vector<std::string> lines, std::vector<TRuleSpec> children = {});

// Adds the rules under the root (or under `parent`), in order.
void Build(TRuleTree& tree, const std::vector<TRuleSpec>& rules);
void Build(TRuleTree& tree, TRuleNode& parent, const std::vector<TRuleSpec>& rules);
