#include "tests/support/tree_builder.h"

namespace {

TRuleDraft Make(TCopyKind kind, std::vector<TRuleDraft> children) {
  TRuleDraft draft;
  draft.Info.Kind = kind;
  draft.Children = std::move(children);
  return draft;
}

}  // namespace

TRuleDraft Num(int from, int to, std::vector<TRuleDraft> children) {
  TRuleDraft draft = Make(ckNumber, std::move(children));
  draft.Info.NumFrom = from;
  draft.Info.NumTo = to;
  return draft;
}

TRuleDraft Alpha(std::string from, std::string to, std::vector<TRuleDraft> children) {
  TRuleDraft draft = Make(ckAlphabet, std::move(children));
  draft.Info.ALFrom = std::move(from);
  draft.Info.ALTo = std::move(to);
  return draft;
}

TRuleDraft Fix(std::string text, std::vector<TRuleDraft> children) {
  TRuleDraft draft = Make(ckFixString, std::move(children));
  draft.Info.FixString = std::move(text);
  return draft;
}

TRuleDraft Any(std::vector<std::string> lines, std::vector<TRuleDraft> children) {
  TRuleDraft draft = Make(ckAnyString, std::move(children));
  draft.Info.AnyStrings = std::move(lines);
  return draft;
}

void Build(TRuleTree& tree, TRuleNode& parent, const std::vector<TRuleDraft>& rules) {
  for (const TRuleDraft& rule : rules) {
    TRuleNode& node = tree.AddRule(parent);
    *node.Data() = rule.Info;
    Build(tree, node, rule.Children);
  }
}

void Build(TRuleTree& tree, const std::vector<TRuleDraft>& rules) { Build(tree, tree.Root(), rules); }
