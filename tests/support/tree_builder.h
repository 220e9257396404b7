#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "naming/copy_info.h"
#include "naming/rule_tree.h"

// A compact way to write rule trees in tests:
//   Build(tree, {Num(0, 2, {Alpha("a", "b")}), Fix("X")});
struct TRuleDraft {
  TCopyInfo Info;
  std::vector<TRuleDraft> Children;
};

TRuleDraft Num(int from, int to, std::vector<TRuleDraft> children = {});
TRuleDraft Alpha(std::string from, std::string to, std::vector<TRuleDraft> children = {});
TRuleDraft Fix(std::string text, std::vector<TRuleDraft> children = {});
TRuleDraft Any(std::vector<std::string> lines, std::vector<TRuleDraft> children = {});

// Adds the rules under the root (or under `parent`), in order.
void Build(TRuleTree& tree, const std::vector<TRuleDraft>& rules);
void Build(TRuleTree& tree, TRuleNode& parent, const std::vector<TRuleDraft>& rules);
