#include "tests/naming/tree_builder.h"

namespace {

TRuleSpec Make(TCopyKind kind, std::vector<TRuleSpec> children) {
  TRuleSpec spec;
  spec.Info.Kind = kind;
  spec.Children = std::move(children);
  return spec;
}

}  // namespace

TRuleSpec Num(int from, int to, std::vector<TRuleSpec> children) {
  TRuleSpec spec = Make(ckNumber, std::move(children));
  spec.Info.NumFrom = from;
  spec.Info.NumTo = to;
  return spec;
}

TRuleSpec Alpha(std::string from, std::string to, std::vector<TRuleSpec> children) {
  TRuleSpec spec = Make(ckAlphabet, std::move(children));
  spec.Info.ALFrom = std::move(from);
  spec.Info.ALTo = std::move(to);
  return spec;
}

TRuleSpec Fix(std::string text, std::vector<TRuleSpec> children) {
  TRuleSpec spec = Make(ckFixString, std::move(children));
  spec.Info.FixString = std::move(text);
  return spec;
}

TRuleSpec Any(std::vector<std::string> lines, std::vector<TRuleSpec> children) {
  TRuleSpec spec = Make(ckAnyString, std::move(children));
  spec.Info.AnyStrings = std::move(lines);
  return spec;
}

void Build(TRuleTree& tree, TRuleNode& parent, const std::vector<TRuleSpec>& rules) {
  for (const TRuleSpec& rule : rules) {
    TRuleNode& node = tree.AddRule(parent);
    *node.Data() = rule.Info;
    Build(tree, node, rule.Children);
  }
}

void Build(TRuleTree& tree, const std::vector<TRuleSpec>& rules) { Build(tree, tree.Root(), rules); }
