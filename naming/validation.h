#pragma once

#include <string>

#include "naming/rule_tree.h"

// Where validation reports: the main window shows each text as a plain message and returns when
// the user has dismissed it.
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

extern const std::string kNumberInvalidMessage;    // "連番情報に不正な値が設定されています"
extern const std::string kAlphabetMissingMessage;  // "アルファベット情報に値が設定されていません"
extern const std::string kAlphabetInvalidMessage;  // "アルファベット情報に不正な値が設定されています"

// Checks every rule in pre-order, reporting one message per bad rule and never stopping early.
// True when no rule failed. Changes nothing.
bool CheckCopyInfo(const TRuleTree& tree, IMessageSink& sink);
