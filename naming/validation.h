#pragma once

#include <string>

#include "naming/rule_tree.h"

// Where validation and the copy run report, one plain message for the user a call (Shift-JIS).
// The call returns once the message has been given: the program shows it in a message box and
// returns when the user has dismissed it; the command line writes it to standard error.
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

extern const std::string kNumberInvalidMessage;    // "連番情報に不正な値が設定されています"
extern const std::string kAlphabetMissingMessage;  // "アルファベット情報に値が設定されていません"
extern const std::string kAlphabetInvalidMessage;  // "アルファベット情報に不正な値が設定されています"

// The message for a rule whose parameters generation cannot use, or null when it has none.
const std::string* RuleProblem(const TCopyInfo& info);

// Checks every rule in pre-order, reporting one message per bad rule and never stopping early.
// True when no rule failed. Changes nothing.
bool CheckCopyInfo(const TRuleTree& tree, IMessageSink& sink);
