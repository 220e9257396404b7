#include "naming/validation.h"

const std::string kNumberInvalidMessage = "連番情報に不正な値が設定されています";
const std::string kAlphabetMissingMessage = "アルファベット情報に値が設定されていません";
const std::string kAlphabetInvalidMessage = "アルファベット情報に不正な値が設定されています";

const std::string* RuleProblem(const TCopyInfo& info) {
  switch (info.Kind) {
    case ckNumber:
      return info.NumTo < info.NumFrom ? &kNumberInvalidMessage : nullptr;
    case ckAlphabet: {
      if (info.ALTo.empty() || info.ALFrom.empty()) return &kAlphabetMissingMessage;
      const int from = AlphabetIndex(info.ALFrom);
      const int to = AlphabetIndex(info.ALTo);
      // A letter outside the table is as invalid as a reversed range: generation could not use it.
      if (from < 0 || to < 0 || to < from) return &kAlphabetInvalidMessage;
      return nullptr;
    }
    case ckFixString:
    case ckAnyString:
      return nullptr;
  }
  return nullptr;
}

bool CheckCopyInfo(const TRuleTree& tree, IMessageSink& sink) {
  bool result = true;
  tree.ForEachPreOrder([&](const TRuleNode& node) {
    if (node.IsRoot()) return;
    if (const std::string* message = RuleProblem(*node.Data())) {
      sink.ShowMessage(*message);
      result = false;
    }
  });
  return result;
}
